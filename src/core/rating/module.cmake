# The rating prompt: counts uses and significant events, decides when to ask for a rating.
brivel_core_module(rating
    SOURCES rating/RatingPrompt.cpp
    DEPS brivel-core-app nlohmann_json::nlohmann_json fmt::fmt)

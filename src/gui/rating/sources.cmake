# The rating prompt's alert, network check and review address.
find_package(Qt6 REQUIRED COMPONENTS Network)
target_sources(brivel-gui-lib PRIVATE rating/RatingPrompt.cpp rating/RatingPrompt.h)
target_link_libraries(brivel-gui-lib PUBLIC Qt6::Network brivel-core-rating)

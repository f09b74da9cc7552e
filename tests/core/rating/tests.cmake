brivel_add_gtest(brivel-rating-tests
    SOURCES core/rating/RatingPromptTest.cpp
    DEPS brivel-core-rating)

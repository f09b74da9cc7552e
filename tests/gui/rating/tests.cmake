# Qt tests of src/gui/rating.
brivel_add_qtest(RatingPromptTest SOURCES gui/rating/RatingPromptTest.cpp)

# The trade and journal export reads the account's records, so it sits above the model.
brivel_core_module(csvexport
    SOURCES csv/CSVHandler.cpp
    DEPS brivel-core-csv brivel-core-model ICU::uc ICU::i18n)

# The trade and journal export: reads an account's records, writes them with the CSV writer.
brivel_core_module(export
    SOURCES export/CSVHandler.cpp
    DEPS brivel-core-csv brivel-core-model)

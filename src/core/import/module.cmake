# Trade import: the program's own trade export and broker execution files.
brivel_core_module(import
    SOURCES import/ImportPlan.cpp import/ImportDateParser.cpp import/AmountParser.cpp
            import/ColumnMatcher.cpp import/DuplicateIndex.cpp import/BrivelTradeReader.cpp
            import/ExecutionGrouper.cpp import/ExecutionReader.cpp import/ImportFileReader.cpp
            import/ImportedTradeSource.cpp import/TradeImporter.cpp
    DEPS brivel-core-app brivel-core-controllers brivel-core-csv ICU::uc ICU::i18n
    PRIVATE_DEPS fmt::fmt)

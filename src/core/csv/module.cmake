# CSV writer, parser and the conveniences on top of them. Paths are relative to src/core.

brivel_core_module(csv
    SOURCES csv/CsvCharacters.cpp csv/StringEncoding.cpp csv/TextDecoder.cpp csv/TextEncoder.cpp
            csv/BufferRing.cpp csv/FileInputStream.cpp csv/FileReadAhead.cpp
            csv/FileWriteBehind.cpp csv/DataInputStream.cpp csv/CsvValue.cpp csv/CsvWriter.cpp
            csv/CsvParser.cpp csv/CsvLinesAggregator.cpp csv/CsvAdditions.cpp
    DEPS brivel-core-platform
    PRIVATE_DEPS ICU::uc ICU::i18n fmt::fmt)
# The parser's character dispatch predicts better as branches than as one indirect jump.
set_source_files_properties(csv/CsvParser.cpp PROPERTIES COMPILE_OPTIONS -fno-jump-tables)

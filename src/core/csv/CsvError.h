#pragma once

namespace brivel::csv {

// Domain of the errors the CSV parser and the CSV conveniences make themselves.
inline constexpr const char* CsvErrorDomain = "com.brivel.TradeJournal.csv";

// Input that cannot be opened, read or decoded.
inline constexpr int CsvErrorInput = 1;
// Malformed CSV text; also a lines array that is not an array of arrays.
inline constexpr int CsvErrorFormat = 2;
// Parsing cancelled by the caller.
inline constexpr int CsvErrorCancelled = 3;

} // namespace brivel::csv

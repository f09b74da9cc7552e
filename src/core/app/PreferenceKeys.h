#pragma once

namespace brivel::app::prefkeys {

// The keys of the preferences store that more than one part of the system reads or writes.
inline constexpr const char* ArrayOfAccounts = "arrayOfAccounts";
inline constexpr const char* ArrayOfStrategies = "arrayOfStrategies";
inline constexpr const char* ArrayOfIndices = "arrayOfIndices";
inline constexpr const char* CloseTradeHintIgnore = "closeTradeHintIgnore";
inline constexpr const char* CloseTradeHintShown = "closeTradeHintShown";

// Keys inside the entries of the lists.
inline constexpr const char* AccountName = "name";
inline constexpr const char* AccountDirectory = "directory";
inline constexpr const char* AccountOpen = "open";
inline constexpr const char* Strategy = "strategy";
inline constexpr const char* Index = "index";

} // namespace brivel::app::prefkeys

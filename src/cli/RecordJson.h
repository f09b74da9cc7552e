#pragma once

#include "core/model/Entities.h"
#include "core/model/Trade.h"
#include "core/platform/Date.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivel::cli {

// ISO 8601 in the environment's time zone, with its offset: "2024-03-01T09:30:00-05:00"
// (milliseconds only when the moment has them).
std::string isoDate(Date date);

// The record ids the commands print and take.
std::string idText(const store::ManagedObject& record);

// A trade with its orders (by date) and chart image names. strategies is the preference list
// "arrayOfStrategies", for the strategy's name. "tradeStrategy" is the position the reports use
// (0 when none is stored); "strategyStored" tells whether one is.
nlohmann::json tradeJson(const model::Trade& trade, const nlohmann::json& strategies);
nlohmann::json orderJson(const model::Order& order);
// A log with its notes (by timestamp, then ticker) and price barriers (by ticker).
nlohmann::json logJson(const model::Log& log);

// The name of the strategy at the trade's position (0 when none is stored, as in the reports),
// if the list has one there.
std::optional<std::string> strategyName(const model::Trade& trade,
                                        const nlohmann::json& strategies);

// Records in the order of the given keys, ties by id, so that listings are stable.
template <class T>
std::vector<T*> sortedRecords(std::vector<T*> records,
                              const std::vector<store::SortDescriptor>& keys) {
    std::stable_sort(records.begin(), records.end(), [&](const T* a, const T* b) {
        int c = store::compareBySortDescriptors(*a, *b, keys);
        return c != 0 ? c < 0 : a->objectID() < b->objectID();
    });
    return records;
}

} // namespace brivel::cli

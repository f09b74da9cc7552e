#include "core/import/ColumnMatcher.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <string_view>

namespace brivel::import {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (auto& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The names each field answers to, in lower case.
const std::array<std::vector<std::string_view>, ColumnMatcher::FieldCount>& aliases() {
    static const std::array<std::vector<std::string_view>, ColumnMatcher::FieldCount> names = {{
        {"date"},
        {"time"},
        {"symbol", "ticker"},
        {"side"},
        {"quantity", "qty", "shares"},
        {"price"},
        {"commission", "fee", "fees"},
        {"description", "desc"},
    }};
    return names;
}

// A column named by its header text (any case) or its position counted from 1.
std::optional<std::size_t> findColumn(const std::vector<std::string>& header,
                                      std::string_view name) {
    const std::string wanted = lower(name);
    for (std::size_t i = 0; i < header.size(); ++i)
        if (lower(header[i]) == wanted)
            return i;
    std::size_t position = 0;
    auto [ptr, ec] = std::from_chars(name.data(), name.data() + name.size(), position);
    if (ec == std::errc() && ptr == name.data() + name.size() && position >= 1 &&
        position <= header.size())
        return position - 1;
    return std::nullopt;
}

} // namespace

const std::array<const char*, ColumnMatcher::FieldCount>& ColumnMatcher::fieldNames() {
    static const std::array<const char*, FieldCount> names = {
        "date", "time", "symbol", "side", "quantity", "price", "commission", "description"};
    return names;
}

bool ColumnMatcher::match(const std::vector<std::string>& header,
                          const std::vector<std::pair<std::string, std::string>>& columnMap) {
    m_failure.reset();
    for (int f = 0; f < FieldCount; ++f) {
        m_columns[f].clear();
        m_mapped[f] = false;
        for (std::size_t i = 0; i < header.size(); ++i) {
            const auto& names = aliases()[f];
            if (std::find(names.begin(), names.end(), lower(header[i])) != names.end()) {
                m_columns[f].push_back(i);
                if (f != Commission)
                    break; // the first of several same-named columns
            }
        }
    }
    for (const auto& [field, column] : columnMap) {
        const auto& names = fieldNames();
        auto it = std::find(names.begin(), names.end(), lower(field));
        if (it == names.end()) {
            m_failure = fmt::format("--map {}={}: there is no field \"{}\" (fields: date, time, "
                                    "symbol, side, quantity, price, commission, description)",
                                    field, column, field);
            return false;
        }
        const auto f = static_cast<std::size_t>(it - names.begin());
        if (column.empty()) { // the user's "no column"
            m_columns[f].clear();
            m_mapped[f] = true;
            continue;
        }
        auto position = findColumn(header, column);
        if (!position) {
            m_failure =
                fmt::format("--map {}={}: the file has no column \"{}\"", field, column, column);
            return false;
        }
        m_columns[f] = {*position};
        m_mapped[f] = true;
    }
    std::vector<std::string> missing;
    for (Field f : {Date, Symbol, Quantity, Price})
        if (m_columns[f].empty())
            missing.push_back(fieldNames()[f]);
    if (!missing.empty()) {
        m_failure = fmt::format("the file has no {} column{}: match {} to a column by its "
                                "header or position",
                                fmt::join(missing, ", "), missing.size() > 1 ? "s" : "",
                                missing.size() > 1 ? "them" : "it");
        return false;
    }
    return true;
}

std::vector<ColumnMatch> ColumnMatcher::matches() const {
    std::vector<ColumnMatch> out;
    for (int f = 0; f < FieldCount; ++f)
        if (!m_columns[f].empty())
            out.push_back({fieldNames()[f], m_columns[f], m_mapped[f]});
    return out;
}

} // namespace brivel::import

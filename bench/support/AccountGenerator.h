#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace brivel::store {
class ObjectContext;
}

namespace brivel::bench {

// The shape of a generated account. The defaults are years of active trading: 100,000 trades of
// four orders, 20,000 journal days with five notes and three index levels each.
struct GeneratorOptions {
    std::size_t trades = 100000;
    std::size_t ordersPerTrade = 4;
    std::size_t logs = 20000;
    std::size_t notesPerLog = 5;
    std::size_t barriersPerLog = 3;
    std::uint32_t seed = 20240101;
    double firstDay = 1262304000.0; // 2010-01-01 UTC
};

// Fills an open context with generated records (not saved). Trades are closed with their profit
// worked out from the orders, as the bookkeeping would leave them.
void fillAccount(store::ObjectContext& context, const GeneratorOptions& options);

// Makes a new account database at path holding a generated account (saved).
void generateAccount(const std::filesystem::path& path, const GeneratorOptions& options);

} // namespace brivel::bench

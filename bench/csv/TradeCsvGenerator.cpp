#include "TradeCsvGenerator.h"

#include "core/csv/CsvWriter.h"

#include <array>
#include <fmt/format.h>
#include <random>
#include <stdexcept>

namespace brivel::csv::bench {

namespace {

struct Ticker {
    const char* symbol;
    const char* description;
    double price;
};

constexpr std::array<Ticker, 16> kTickers = {{
    {"AAPL", "Apple Inc.", 185.0},
    {"GOOGL", "Alphabet Inc., Class A", 150.0},
    {"AMZN", "Amazon.com, Inc.", 178.0},
    {"TSLA", "Tesla, Inc.", 190.0},
    {"NVDA", "NVIDIA Corporation", 880.0},
    {"BRK.B", "Berkshire Hathaway Inc. Class B", 410.0},
    {"JPM", "JPMorgan Chase & Co.", 195.0},
    {"SPY", "SPDR S&P 500 ETF Trust", 515.0},
    {"AZO", "AutoZone, Inc.", 3050.0},
    {"BKNG", "Booking Holdings Inc.", 3550.0},
    {"CMG", "Chipotle Mexican Grill, Inc.", 2900.0},
    {"NVR", "NVR, Inc.", 7800.0},
    {"AVGO", "Broadcom Inc.", 1310.0},
    {"F", "Ford Motor Company", 12.5},
    {"SOFI", "SoFi Technologies, Inc.", 7.8},
    {"TSM", "Taiwan Semiconductor Manufacturing Co., Ltd.", 140.0},
}};
constexpr std::array<const char*, 8> kStrategies = {
    "Breakout", "Mean Reversion", "Momentum",    "Earnings Play",
    "Swing",    "Gap and Go",     "VWAP Bounce", "Opening Range Breakout (ORB)"};
constexpr std::array<const char*, 5> kCommissions = {"$0.00", "$0.65", "$1.00", "$4.95", "$9.99"};
constexpr std::array<const char*, 8> kOpeners = {"Entered after the opening range held",
                                                 "Bought the dip into support",
                                                 "Sold into strength near resistance",
                                                 "Took the trade on volume confirmation",
                                                 "Scaled out as planned",
                                                 "Stopped out below the prior day low",
                                                 "Chased the move, which was a mistake",
                                                 "Guidance was weak"};
constexpr std::array<const char*, 7> kDetails = {
    "RSI was oversold",  "MACD crossed up",           "price reclaimed VWAP",  "spreads were wide",
    "news hit at 10:05", "risk/reward was about 1:3", "the gap filled quickly"};
constexpr std::array<const char*, 3> kQuoted = {"the analyst called it a \"strong buy\"",
                                                "my note said \"do not chase\"",
                                                "headline read \"guidance cut\", sold half"};
constexpr std::array<const char*, 7> kNonAscii = {"Café meeting in Zürich went well",
                                                  "Übergewichtung nach Gespräch mit Müller",
                                                  "決算発表後に買い増し",
                                                  "외국인 순매수 확인",
                                                  "Ελληνικά ομόλογα ανέβηκαν",
                                                  "target hit 📈, took profits",
                                                  "€/$ moved 0.8% after the ECB"};

std::string money(double value) {
    const auto cents = static_cast<long long>(value * 100 + 0.5);
    std::string whole = std::to_string(cents / 100);
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(static_cast<std::size_t>(i), ",");
    return fmt::format("${}.{:02d}", whole, cents % 100);
}

template <class Array> const char* pick(std::mt19937_64& rng, const Array& a) {
    return a[rng() % a.size()];
}

std::string reason(std::mt19937_64& rng) {
    if (rng() % 50 == 0)
        return {};
    std::string text = pick(rng, kOpeners);
    const int details = static_cast<int>(rng() % 4);
    for (int i = 0; i < details; ++i) {
        const auto r = rng() % 100;
        text += r < 6 ? ".\n" : r < 50 ? ", " : r < 75 ? "; " : ". ";
        text += pick(rng, kDetails);
    }
    if (rng() % 10 == 0) {
        text += ", ";
        text += pick(rng, kQuoted);
    }
    if (rng() % 20 == 0) {
        text += ". ";
        text += pick(rng, kNonAscii);
    }
    return text + ".";
}

} // namespace

GeneratedFile generateTradeCsv(const std::filesystem::path& path, std::uint64_t targetBytes,
                               std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    CsvWriter writer(path, false);
    GeneratedFile out;
    const std::vector<std::string> header = {"Trade #",  "Order Date", "Ticker", "Description",
                                             "Buy/Sell", "Quantity",   "Price",  "Commission",
                                             "Reason",   "Strategy"};
    writer.writeLineWithFields(header);
    for (const auto& h : header)
        out.bytes += h.size() + 1; // and a delimiter or the line end
    out.lines = 1;
    out.fields = 10;
    // 2024-01-02 14:30:00 UTC onwards.
    double when = 1704205800;
    std::uint64_t trade = 0;
    std::vector<std::string> row(10);
    while (out.bytes < targetBytes) {
        ++trade;
        when += static_cast<double>(1 + rng() % 900);
        const Ticker& t = kTickers[rng() % kTickers.size()];
        const double price = t.price * (0.8 + static_cast<double>(rng() % 4000) / 10000.0);
        row[0] = std::to_string(trade);
        row[1] = formatCsvDate(Date(when));
        row[2] = t.symbol;
        row[3] = t.description;
        row[4] = rng() % 2 ? "Buy" : "Sell";
        row[5] = std::to_string(1 + rng() % 1000);
        row[6] = money(price);
        row[7] = pick(rng, kCommissions);
        row[8] = reason(rng);
        row[9] = pick(rng, kStrategies);
        writer.writeLineWithFields(row);
        // The length as written: fields, quotes and doubled characters, delimiters, LF.
        for (const auto& f : row) {
            out.bytes += f.size();
            const bool quoted = f.find_first_of(",\"\n\\") != std::string::npos;
            if (quoted)
                out.bytes += 2;
            for (char c : f)
                out.bytes += quoted && (c == '"' || c == '\\');
        }
        out.bytes += 10;
        ++out.lines;
        out.fields += 10;
    }
    writer.closeFile();
    if (writer.error())
        throw std::runtime_error(writer.error()->message());
    return out;
}

std::filesystem::path tradeCsvFile(const std::filesystem::path& folder, std::uint64_t bytes) {
    std::filesystem::create_directories(folder);
    const auto path = folder / fmt::format("trades-{}.csv", bytes);
    if (!std::filesystem::exists(path)) {
        const auto partial = path.string() + ".partial";
        generateTradeCsv(partial, bytes);
        std::filesystem::rename(partial, path);
    }
    return path;
}

} // namespace brivel::csv::bench

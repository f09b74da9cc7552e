#include "cli/CliOptions.h"

#include "cli/DateInput.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace brivel::cli {

CLI::Option* addAccountOption(CLI::App* command, std::string& account) {
    return command->add_option("-a,--account", account, "The account: folder code or name")
        ->required();
}

const CLI::Validator& dateText() {
    static const CLI::Validator check(
        [](std::string& text) {
            return parseInputDate(text) ? std::string()
                                        : "not a date: use YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS], "
                                          "optionally with Z or an offset such as +01:00";
        },
        "DATE");
    return check;
}

const CLI::Validator& amountText() {
    static const CLI::Validator check(
        [](std::string& text) {
            double v = 0.0;
            try {
                std::size_t used = 0;
                v = std::stod(text, &used);
                if (used != text.size())
                    return std::string("not a number: ") + text;
            } catch (const std::exception&) {
                return std::string("not a number: ") + text;
            }
            if (!std::isfinite(v) || v < 0.0)
                return std::string("must be a finite number of 0 or more: ") + text;
            return std::string();
        },
        "AMOUNT");
    return check;
}

const CLI::Validator& shareCountText() {
    static const CLI::Validator check(
        [](std::string& text) {
            long long v = 0;
            const char* end = text.data() + text.size();
            auto [ptr, ec] = std::from_chars(text.data(), end, v);
            if (ec != std::errc() || ptr != end || v < 0 ||
                v > std::numeric_limits<std::int32_t>::max())
                return std::string("must be a whole number from 0 to 2147483647: ") + text;
            return std::string();
        },
        "N");
    return check;
}

} // namespace brivel::cli

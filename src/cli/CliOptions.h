#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace brivel::cli {

// -a,--account: the account a command works on, by folder code or unique name; required.
CLI::Option* addAccountOption(CLI::App* command, std::string& account);

// Option checks: a date parseInputDate takes, an amount of 0 or more, a share count that fits
// the store's 32-bit field.
const CLI::Validator& dateText();
const CLI::Validator& amountText();
const CLI::Validator& shareCountText();

} // namespace brivel::cli

#pragma once

#include "support/CliRun.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace brivel::test {

// brivel-cli run as a user would: a separate process per command, with its own XDG folders, no
// terminal on standard input, New York time and US English.
class CliFixture : public ::testing::Test {
protected:
    CliRun cli(const std::vector<std::string>& args,
               const std::optional<std::string>& input = std::nullopt) const;
    // Runs a command that must succeed and returns what it printed.
    CliRun ok(const std::vector<std::string>& args) const;
    // "<what> list --json": accounts, strategies, indices.
    nlohmann::json listJson(const std::string& what) const;
    // "<what> list -a <account> --json": trades, journal.
    nlohmann::json list(const std::string& what, const std::string& account = "B0W1") const;

    std::filesystem::path path(const std::string& name) const { return temp / name; }
    std::filesystem::path support() const { return temp / "data" / "Brivel Trade Journal"; }
    std::filesystem::path accountFolder(const std::string& code = "B0W1") const {
        return support() / code;
    }
    std::filesystem::path prefsFile() const {
        return temp / "config" / "Brivel Trade Journal" / "preferences.json";
    }
    std::filesystem::path scratch() const { return temp.path(); }

    TempDir temp;
    ScopedEnv data{"XDG_DATA_HOME", (temp / "data").string()};
    ScopedEnv config{"XDG_CONFIG_HOME", (temp / "config").string()};
    ScopedEnv zone{"TZ", "America/New_York"};
    ScopedEnv locale{"LC_ALL", "en_US.UTF-8"};
};

} // namespace brivel::test

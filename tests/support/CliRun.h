#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brivel::test {

// What one run of a command printed and how it ended.
struct CliRun {
    int status = -1;
    std::string out, err;
    // The first line of the output: the id an add command prints.
    std::string id() const { return out.substr(0, out.find('\n')); }
};

// Runs a program as a user would: a separate process, no terminal on standard input (the given
// text, or nothing), its output caught in files under scratch.
CliRun runProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& scratch,
                  const std::optional<std::string>& input = std::nullopt);

} // namespace brivel::test

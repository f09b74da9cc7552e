#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

namespace brivel::cli {

// A failure the command reports as one line on stderr ("brivel-cli: ...") with exit status 1.
class CliFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Prints one JSON document on stdout.
void printJson(const nlohmann::json& doc);

// True when standard input is a terminal, so a destructive command may ask "No"/"Yes".
bool stdinIsTerminal();
// Asks the confirmation on the terminal; returns true only for "Yes". Without a terminal it
// refuses (returns false) unless assumeYes.
bool confirmOnTerminal(const std::string& title, const std::string& message, bool assumeYes);

} // namespace brivel::cli

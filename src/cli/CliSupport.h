#pragma once

#include "core/platform/Prompter.h"

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

// The Prompter of a command: confirmations on the terminal (or --yes); a result alert is kept
// for the command to report in its own words.
class TerminalPrompter final : public Prompter {
public:
    explicit TerminalPrompter(bool assumeYes) : m_assumeYes(assumeYes) {}
    bool confirm(const std::string& title, const std::string& message,
                 const std::string& /*defaultButton*/,
                 const std::string& /*alternateButton*/) override {
        return confirmOnTerminal(title, message, m_assumeYes);
    }
    void alert(const std::string& title, const std::string& message) override {
        m_title = title;
        m_message = message;
    }
    std::string lastAlert() const { return m_title + " " + m_message; }

private:
    bool m_assumeYes;
    std::string m_title, m_message;
};

} // namespace brivel::cli

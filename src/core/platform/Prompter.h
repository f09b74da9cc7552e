#pragma once

#include <deque>
#include <string>
#include <vector>

namespace brivel {

// Confirmations and result alerts. A confirmation has the default button "No" and the alternate
// button "Yes"; only "Yes" goes on.
class Prompter {
public:
    virtual ~Prompter() = default;
    // Returns true when the user chose the alternate button (the "Yes" of a confirmation).
    virtual bool confirm(const std::string& title, const std::string& message,
                         const std::string& defaultButton, const std::string& alternateButton) = 0;
    virtual void alert(const std::string& title, const std::string& message) = 0;
};

// Answers from a script and remembers what was asked: for tests and the CLI's --yes.
class ScriptedPrompter final : public Prompter {
public:
    struct Asked {
        std::string title, message, defaultButton, alternateButton;
        bool isAlert = false;
    };

    explicit ScriptedPrompter(bool defaultAnswer = false) : m_defaultAnswer(defaultAnswer) {}
    void queueAnswer(bool yes) { m_answers.push_back(yes); }

    bool confirm(const std::string& title, const std::string& message,
                 const std::string& defaultButton, const std::string& alternateButton) override {
        m_asked.push_back({title, message, defaultButton, alternateButton, false});
        if (m_answers.empty())
            return m_defaultAnswer;
        bool a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    void alert(const std::string& title, const std::string& message) override {
        m_asked.push_back({title, message, "OK", "", true});
    }
    const std::vector<Asked>& asked() const { return m_asked; }

private:
    bool m_defaultAnswer;
    std::deque<bool> m_answers;
    std::vector<Asked> m_asked;
};

} // namespace brivel

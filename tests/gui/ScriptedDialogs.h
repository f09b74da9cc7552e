#pragma once

#include "core/platform/Prompter.h"
#include "gui/document/Dialogs.h"

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace brivel::test {

// The panels and questions of the windows, answered from a script and remembered: every
// prompter made here forwards to one ScriptedPrompter, so a test sees all questions in order.
class ScriptedDialogs final : public gui::Dialogs {
public:
    struct Panel {
        bool save = false;
        gui::FilePanelRequest request;
    };

    ScriptedPrompter prompter;
    std::deque<std::optional<std::filesystem::path>> panelAnswers;
    std::deque<SaveChangesAnswer> saveChangesAnswers;
    std::vector<Panel> panels;
    int saveChangesAsked = 0;

    std::unique_ptr<Prompter> makePrompter(QWidget*) override {
        return std::make_unique<Forwarding>(prompter);
    }
    std::optional<std::filesystem::path> savePanel(QWidget*,
                                                   const gui::FilePanelRequest& r) override {
        panels.push_back({true, r});
        return nextPanelAnswer();
    }
    std::optional<std::filesystem::path> openPanel(QWidget*,
                                                   const gui::FilePanelRequest& r) override {
        panels.push_back({false, r});
        return nextPanelAnswer();
    }
    SaveChangesAnswer askSaveChanges(QWidget*) override {
        ++saveChangesAsked;
        if (saveChangesAnswers.empty())
            return SaveChangesAnswer::Cancel;
        auto a = saveChangesAnswers.front();
        saveChangesAnswers.pop_front();
        return a;
    }

private:
    class Forwarding final : public Prompter {
    public:
        explicit Forwarding(ScriptedPrompter& to) : m_to(to) {}
        bool confirm(const std::string& t, const std::string& m, const std::string& d,
                     const std::string& a) override {
            return m_to.confirm(t, m, d, a);
        }
        void alert(const std::string& t, const std::string& m) override { m_to.alert(t, m); }

    private:
        ScriptedPrompter& m_to;
    };

    std::optional<std::filesystem::path> nextPanelAnswer() {
        if (panelAnswers.empty())
            return std::nullopt;
        auto a = panelAnswers.front();
        panelAnswers.pop_front();
        return a;
    }
};

} // namespace brivel::test

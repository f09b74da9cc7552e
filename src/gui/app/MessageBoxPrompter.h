#pragma once

#include "core/platform/Prompter.h"

#include <QPointer>
#include <QWidget>

namespace brivel::gui {

// Confirmations and alerts as QMessageBoxes, window-modal on their window: "No" is the default
// (and Escape) button of a confirmation, "Yes" the other; an alert has one "OK".
class MessageBoxPrompter final : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget* window) : m_window(window) {}

    bool confirm(const std::string& title, const std::string& message,
                 const std::string& defaultButton, const std::string& alternateButton) override;
    void alert(const std::string& title, const std::string& message) override;

private:
    QPointer<QWidget> m_window;
};

} // namespace brivel::gui

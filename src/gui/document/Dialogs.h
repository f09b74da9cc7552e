#pragma once

#include "core/platform/Prompter.h"

#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

class QWidget;

namespace brivel::gui {

// A save or open panel: the one file type offered ("csv", "zip") and, for a save panel, the
// label of its name field ("Save CSV as:").
struct FilePanelRequest {
    QString title;
    QString fileType;
    QString nameFieldLabel;
};

// Every panel and question the windows show, behind one seam so that tests can script the
// answers and the program shows real window-modal dialogs.
class Dialogs {
public:
    enum class SaveChangesAnswer { Save, DontSave, Cancel };

    virtual ~Dialogs() = default;

    // Confirmations and alerts, window-modal on window (application-modal without one).
    virtual std::unique_ptr<Prompter> makePrompter(QWidget* window) = 0;
    // The chosen path, or nothing when the panel was cancelled.
    virtual std::optional<std::filesystem::path> savePanel(QWidget* window,
                                                           const FilePanelRequest& request) = 0;
    virtual std::optional<std::filesystem::path> openPanel(QWidget* window,
                                                           const FilePanelRequest& request) = 0;
    // "Save Changes" / "Do you want to save your changes?" with "Save", "Don't Save", "Cancel".
    virtual SaveChangesAnswer askSaveChanges(QWidget* window) = 0;
};

} // namespace brivel::gui

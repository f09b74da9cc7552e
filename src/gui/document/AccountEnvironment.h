#pragma once

#include "core/app/Preferences.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "core/store/ObjectContext.h"

#include <QString>
#include <filesystem>
#include <string>

class QWidget;

namespace brivel::gui {

// What a view of an account window works with: the account's records, the preferences shared by
// every window, the moment the record rules take as "now" and the way questions are asked. The
// account document owns all of it and outlives its views; a view makes its own list controllers
// from it.
struct AccountEnvironment {
    store::ObjectContext& context;
    app::Preferences& preferences;
    const Clock& clock;
    Prompter& prompter;
    // The account's folder code: the first component of new chart image names.
    std::string folderCode;
    // The account's database file; chart image files resolve next to it (model::chartImageFile).
    std::filesystem::path databasePath;
    // The account window, for window-modal panels; null in tests without a window.
    QWidget* window = nullptr;

    // Names the undo step of a command that has just run ("Add Trade" shows as "Undo Add
    // Trade"), if it changed anything since undoMark() was taken before it.
    std::size_t undoMark() const { return context.undoManager().registrationCount(); }
    void nameUndoStep(const QString& name, std::size_t mark) const {
        auto& undo = context.undoManager();
        if (undo.registrationCount() != mark)
            undo.setActionName(name.toStdString());
    }
};

} // namespace brivel::gui

#pragma once

#include "gui/document/Dialogs.h"

namespace brivel::gui {

// The real panels: QMessageBox and QFileDialog, window-modal on the window asking.
class QtDialogs final : public Dialogs {
public:
    std::unique_ptr<Prompter> makePrompter(QWidget* window) override;
    std::optional<std::filesystem::path> savePanel(QWidget* window,
                                                   const FilePanelRequest& request) override;
    std::optional<std::filesystem::path> openPanel(QWidget* window,
                                                   const FilePanelRequest& request) override;
    SaveChangesAnswer askSaveChanges(QWidget* window) override;
};

} // namespace brivel::gui

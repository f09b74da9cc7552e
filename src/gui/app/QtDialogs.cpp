#include "gui/app/QtDialogs.h"

#include "gui/app/MessageBoxPrompter.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace brivel::gui {

namespace {

std::optional<std::filesystem::path> runPanel(QWidget* window, const FilePanelRequest& request,
                                              QFileDialog::AcceptMode mode) {
    QFileDialog panel(window, request.title);
    panel.setObjectName(mode == QFileDialog::AcceptSave ? "savePanel" : "openPanel");
    panel.setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    panel.setAcceptMode(mode);
    panel.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                      : QFileDialog::ExistingFile);
    panel.setNameFilter(
        QStringLiteral("%1 files (*.%2)").arg(request.fileType.toUpper(), request.fileType));
    panel.setDefaultSuffix(request.fileType);
    if (!request.nameFieldLabel.isEmpty())
        panel.setLabelText(QFileDialog::FileName, request.nameFieldLabel);
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return std::nullopt;
    return std::filesystem::path(panel.selectedFiles().constFirst().toStdString());
}

} // namespace

std::unique_ptr<Prompter> QtDialogs::makePrompter(QWidget* window) {
    return std::make_unique<MessageBoxPrompter>(window);
}

std::optional<std::filesystem::path> QtDialogs::savePanel(QWidget* window,
                                                          const FilePanelRequest& request) {
    return runPanel(window, request, QFileDialog::AcceptSave);
}

std::optional<std::filesystem::path> QtDialogs::openPanel(QWidget* window,
                                                          const FilePanelRequest& request) {
    return runPanel(window, request, QFileDialog::AcceptOpen);
}

Dialogs::SaveChangesAnswer QtDialogs::askSaveChanges(QWidget* window) {
    QMessageBox box(window);
    box.setObjectName("saveChangesBox");
    box.setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QStringLiteral("Save Changes"));
    box.setText(QStringLiteral("Save Changes"));
    box.setInformativeText(QStringLiteral("Do you want to save your changes?"));
    auto* save = box.addButton(QStringLiteral("Save"), QMessageBox::AcceptRole);
    auto* dontSave = box.addButton(QStringLiteral("Don't Save"), QMessageBox::DestructiveRole);
    auto* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveChangesAnswer::Save;
    if (box.clickedButton() == dontSave)
        return SaveChangesAnswer::DontSave;
    return SaveChangesAnswer::Cancel;
}

} // namespace brivel::gui

#include "gui/app/MessageBoxPrompter.h"

#include <QMessageBox>
#include <QPushButton>

namespace brivel::gui {

namespace {

void prepare(QMessageBox& box, const std::string& title, const std::string& message) {
    box.setObjectName("promptBox");
    box.setWindowModality(box.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(title));
    box.setInformativeText(QString::fromStdString(message));
}

} // namespace

bool MessageBoxPrompter::confirm(const std::string& title, const std::string& message,
                                 const std::string& defaultButton,
                                 const std::string& alternateButton) {
    QMessageBox box(m_window);
    prepare(box, title, message);
    box.setIcon(QMessageBox::Warning);
    auto* no = box.addButton(QString::fromStdString(defaultButton), QMessageBox::RejectRole);
    auto* yes = box.addButton(QString::fromStdString(alternateButton), QMessageBox::AcceptRole);
    no->setObjectName("defaultButton");
    yes->setObjectName("alternateButton");
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void MessageBoxPrompter::alert(const std::string& title, const std::string& message) {
    QMessageBox box(m_window);
    prepare(box, title, message);
    box.setIcon(QMessageBox::Information);
    auto* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    ok->setObjectName("okButton");
    box.setDefaultButton(ok);
    box.exec();
}

} // namespace brivel::gui

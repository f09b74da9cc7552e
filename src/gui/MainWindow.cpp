#include "gui/MainWindow.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

namespace brivel::gui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName("mainWindow");
    setWindowTitle("Brivel Trade Journal");
    auto* label = new QLabel(tr("No account is open."), this);
    label->setAlignment(Qt::AlignCenter);
    setCentralWidget(label);

    auto* fileMenu = menuBar()->addMenu(tr("&File"));
    auto* quit = fileMenu->addAction(tr("&Quit"), qApp, &QApplication::quit);
    quit->setShortcut(QKeySequence::Quit);
    statusBar()->showMessage(tr("Ready"));
    resize(1000, 700);
}

} // namespace brivel::gui

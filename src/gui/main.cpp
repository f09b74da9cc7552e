#include "core/platform/ProcessHeap.h"
#include "gui/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    brivel::tuneHeapForLargeAccounts();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brivel Trade Journal");
    QApplication::setOrganizationName("Brivel");
    QApplication::setApplicationVersion(BRIVEL_VERSION);

    brivel::gui::MainWindow window;
    window.show();
    return QApplication::exec();
}

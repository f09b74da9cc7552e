#include "gui/app/ImportTrades.h"

namespace brivel::gui {

// Not wired to the import dialog yet: the menu item stays disabled.
bool isImportTradesAvailable() {
    return false;
}

void importTrades(AccountDocument&, QWidget*) {}

} // namespace brivel::gui

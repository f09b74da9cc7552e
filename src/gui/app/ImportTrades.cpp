#include "gui/app/ImportTrades.h"

#include "gui/document/AccountDocument.h"
#include "gui/import/ImportTradesDialog.h"

namespace brivel::gui {

bool isImportTradesAvailable() {
    return true;
}

void importTrades(AccountDocument& document, QWidget* window) {
    showImportTradesDialog(document.environment(), window);
}

} // namespace brivel::gui

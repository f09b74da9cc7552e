#pragma once

class QWidget;

namespace brivel::gui {

class AccountDocument;

// File > Import Trades…: imports trades into the account of the window. The menu item is enabled
// only while isImportTradesAvailable() says so.
bool isImportTradesAvailable();
void importTrades(AccountDocument& document, QWidget* window);

} // namespace brivel::gui

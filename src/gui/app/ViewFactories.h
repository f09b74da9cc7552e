#pragma once

#include "gui/document/AccountViewFactory.h"

#include <vector>

namespace brivel::gui {

// The views of an account window, in the order of their buttons: Journal, Trades, Reports,
// Statistics. The only place that knows the views' classes.
std::vector<AccountViewFactory> accountViewFactories();

} // namespace brivel::gui

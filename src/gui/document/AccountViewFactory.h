#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace brivel::gui {

class AccountView;
struct AccountEnvironment;

// One view an account window can show: its title on the tool bar and in the View menu, and how
// it is made. The window makes every view once, when it is built, in the order given.
struct AccountViewFactory {
    QString title;
    QString objectName;
    std::function<AccountView*(AccountEnvironment&, QWidget* parent)> make;
};

} // namespace brivel::gui

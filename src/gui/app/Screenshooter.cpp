#include "gui/app/Screenshooter.h"

#include "gui/app/AboutPanelController.h"
#include "gui/app/AccountsWindowController.h"
#include "gui/app/AppController.h"
#include "gui/app/DocumentRegistry.h"
#include "gui/app/PreferencesController.h"
#include "gui/document/AccountWindow.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cstdio>

namespace brivel::gui {

Screenshooter::Screenshooter(AppController& app, QObject* parent) : QObject(parent), m_app(app) {}

bool Screenshooter::isActive() {
    return !qEnvironmentVariableIsEmpty("BRIVEL_SCREENSHOT");
}

void Screenshooter::start() {
    if (!isActive())
        return;
    // Let the windows of start-up settle first.
    QTimer::singleShot(300, this, &Screenshooter::take);
}

QWidget* Screenshooter::prepare(const QString& window, const QString& detail) {
    if (window == QLatin1String("accounts")) {
        m_app.showAccountsPanel();
        auto* accounts = m_app.accountsWindowController();
        accounts->table()->selectRow(0);
        return accounts;
    }
    if (window == QLatin1String("preferences")) {
        m_app.showPreferences();
        auto* preferences = m_app.preferencesController();
        for (int i = 0; i < preferences->tabs()->count(); ++i)
            if (preferences->tabs()->tabText(i) == detail)
                preferences->tabs()->setCurrentIndex(i);
        return preferences;
    }
    if (window == QLatin1String("about")) {
        m_app.showAboutPanel();
        return m_app.aboutPanelController();
    }
    if (window == QLatin1String("account")) {
        auto documents = m_app.documents().documents();
        if (documents.empty())
            return nullptr;
        AccountWindow& account = documents.front()->window();
        for (std::size_t i = 0; i < account.viewActions().size(); ++i)
            if (account.viewActions()[i]->text() == detail)
                account.changeViewController(static_cast<int>(i));
        showContent(account);
        return &account;
    }
    return nullptr;
}

// What a user would look at first: the newest trade selected, a report generated.
void Screenshooter::showContent(QWidget& account) {
    if (auto* trades = account.findChild<QTableView*>(QStringLiteral("tradeListTV"));
        trades && trades->isVisible() && trades->model() && trades->model()->rowCount() > 0)
        trades->selectRow(0);
    if (auto* generate = account.findChild<QPushButton*>(QStringLiteral("generateReportBtn"));
        generate && generate->isVisible())
        generate->click();
}

void Screenshooter::take() {
    const QString spec = qEnvironmentVariable("BRIVEL_SCREENSHOT");
    const QString file = qEnvironmentVariable("BRIVEL_SCREENSHOT_FILE", "screenshot.png");
    QWidget* window = prepare(spec.section(':', 0, 0), spec.section(':', 1));
    if (!window) {
        std::fprintf(stderr, "no window \"%s\" to take\n", qPrintable(spec));
        QApplication::exit(1);
        return;
    }
    window->raise();
    window->activateWindow();
    QTimer::singleShot(500, this, [window, file] {
        const bool saved = window->grab().save(file, "PNG");
        if (!saved)
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        QApplication::exit(saved ? 0 : 1);
    });
}

} // namespace brivel::gui

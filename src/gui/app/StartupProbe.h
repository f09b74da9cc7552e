#pragma once

#include <QObject>

namespace brivel::gui {

class AppController;
class AccountDocument;

// For the start-up benchmark and the screenshot script (BRIVEL_STARTUP_PROBE=1): once the first
// account window has been painted, writes "shown" with the resident memory to standard output,
// closes the accounts, writes how long that took, and quits.
class StartupProbe : public QObject {
    Q_OBJECT
public:
    explicit StartupProbe(AppController& app, QObject* parent = nullptr);
    static bool isActive();
    // Call after start-up: reports at once when an account window is already up.
    void started();

private:
    void report(AccountDocument* document);

    AppController& m_app;
    bool m_done = false;
};

// The resident set size of this process in kB, from /proc/self/status.
long residentKilobytes();

} // namespace brivel::gui

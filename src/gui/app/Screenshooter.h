#pragma once

#include <QObject>
#include <QString>

namespace brivel::gui {

class AppController;

// For scripts/screenshots.sh: BRIVEL_SCREENSHOT names a window ("accounts", "preferences",
// "about", "account"), optionally followed by ":" and a view title or preferences tab; the
// window is shown, painted and saved as PNG to BRIVEL_SCREENSHOT_FILE, and the program quits.
class Screenshooter : public QObject {
    Q_OBJECT
public:
    explicit Screenshooter(AppController& app, QObject* parent = nullptr);
    static bool isActive();
    // Call once start-up is done.
    void start();

private:
    static void showContent(QWidget& account);
    QWidget* prepare(const QString& window, const QString& detail);
    void take();

    AppController& m_app;
};

} // namespace brivel::gui

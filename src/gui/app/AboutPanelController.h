#pragma once

#include <QDialog>

class QLabel;
class QTextBrowser;

namespace brivel::gui {

// The About panel: icon, name, "Version %@ (%@)", the copyright line, the credits and a button
// that opens the product's web page in the browser.
class AboutPanelController : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* ProductWebPage = "https://brivel-journal.example.org/";
    static constexpr const char* Copyright = "Copyright © 2026 The Brivel Trade Journal developers";

    explicit AboutPanelController(QWidget* parent = nullptr);

    // "Version 1.2 (15)".
    static QString versionLine(const QString& shortVersion, const QString& buildNumber);
    void goToWebStore();

    QLabel* appNameTF() const { return m_appNameTF; }
    QLabel* versionTF() const { return m_versionTF; }
    QLabel* copyrightTF() const { return m_copyrightTF; }
    QTextBrowser* creditsTV() const { return m_creditsTV; }

private:
    QLabel* m_appNameTF = nullptr;
    QLabel* m_versionTF = nullptr;
    QLabel* m_copyrightTF = nullptr;
    QTextBrowser* m_creditsTV = nullptr;
};

} // namespace brivel::gui

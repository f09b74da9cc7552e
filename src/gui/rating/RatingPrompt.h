#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QWidget;

namespace brivel {
class Clock;
}
namespace brivel::app {
class Preferences;
}
namespace brivel::rating {
class RatingPrompt;
}

namespace brivel::gui {

// The desktop face of the rating prompt: the counting and the decision stay in core
// (rating::RatingPrompt); this object answers its network check, shows its alert on the main
// window and opens the review address. Made once, on the main thread, for the application's life.
class RatingPrompt : public QObject {
    Q_OBJECT
public:
    // How the review address is opened; tests replace it.
    using UrlOpener = std::function<void(const QUrl&)>;
    // The window the alert is shown on (null: none is open, no alert).
    using MainWindowSource = std::function<QWidget*()>;

    RatingPrompt(app::Preferences& preferences, const Clock& clock, MainWindowSource mainWindow,
                 QObject* parent = nullptr);
    ~RatingPrompt() override;

    rating::RatingPrompt& core() { return *m_core; }
    void setUrlOpener(UrlOpener opener) { m_open = std::move(opener); }
    // Replaces the reachability answer (tests; a machine without a network backend).
    void setReachabilityOverride(std::optional<bool> reachable);

    // The alert now open, if any (tests answer it).
    QMessageBox* alert() const { return m_alert; }
    // Records the answer and, for rating, opens the review address twice, two seconds apart,
    // without holding up the event loop.
    void answer(int returnCode);

private:
    bool connectedToNetwork();
    void showRatingAlert();
    void sendProbeRequest();

    std::unique_ptr<rating::RatingPrompt> m_core;
    MainWindowSource m_mainWindow;
    UrlOpener m_open;
    QPointer<QMessageBox> m_alert;
    QNetworkAccessManager* m_network = nullptr;
    std::atomic<int> m_reachabilityOverride{-1};
};

} // namespace brivel::gui

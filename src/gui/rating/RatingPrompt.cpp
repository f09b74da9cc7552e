#include "gui/rating/RatingPrompt.h"

#include "core/platform/SystemLog.h"
#include "core/rating/RatingPrompt.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPushButton>
#include <QTimer>

namespace brivel::gui {

namespace {

// A plain page of the product's own, asked for to warm the connection; its answer is not used.
const char* const kProbeAddress = "https://brivel.app/";

} // namespace

RatingPrompt::RatingPrompt(app::Preferences& preferences, const Clock& clock,
                           MainWindowSource mainWindow, QObject* parent)
    : QObject(parent), m_mainWindow(std::move(mainWindow)),
      m_open([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    m_core = std::make_unique<rating::RatingPrompt>(
        preferences, clock, QApplication::applicationName().toStdString(),
        QApplication::applicationVersion().toStdString(),
        rating::RatingPrompt::Host{[this] { return connectedToNetwork(); },
                                   [this] {
                                       QMetaObject::invokeMethod(
                                           this, [this] { showRatingAlert(); },
                                           Qt::QueuedConnection);
                                   }});
    // The backend is loaded here, on the main thread; the background checks only read it.
    if (!QNetworkInformation::instance())
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
}

RatingPrompt::~RatingPrompt() {
    // The background threads may still post to this object: let them end first.
    m_core->waitForBackgroundWork();
}

void RatingPrompt::setReachabilityOverride(std::optional<bool> reachable) {
    m_reachabilityOverride = reachable ? int(*reachable) : -1;
}

bool RatingPrompt::connectedToNetwork() {
    bool reachable = false;
    if (int forced = m_reachabilityOverride.load(); forced >= 0) {
        reachable = forced == 1;
    } else if (auto* info = QNetworkInformation::instance()) {
        reachable = info->reachability() == QNetworkInformation::Reachability::Online;
    } else {
        systemLog().log("Error. Could not recover network reachability flags");
        return false;
    }
    if (reachable)
        QMetaObject::invokeMethod(
            this, [this] { sendProbeRequest(); }, Qt::QueuedConnection);
    return reachable;
}

void RatingPrompt::sendProbeRequest() {
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request{QUrl(QString::fromLatin1(kProbeAddress))};
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(20'000);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

void RatingPrompt::showRatingAlert() {
    QWidget* window = m_mainWindow ? m_mainWindow() : nullptr;
    if (!window || m_alert)
        return;
    auto* box = new QMessageBox(window);
    box->setObjectName("ratingAlert");
    box->setIcon(QMessageBox::Question);
    box->setWindowTitle(QString::fromStdString(m_core->alertTitle()));
    box->setText(QString::fromStdString(m_core->alertTitle()));
    box->setInformativeText(QString::fromStdString(m_core->alertMessage()));
    QPushButton* rate =
        box->addButton(QString::fromStdString(m_core->rateButtonTitle()), QMessageBox::AcceptRole);
    QPushButton* no = box->addButton("No, Thanks", QMessageBox::RejectRole);
    QPushButton* later = box->addButton("Remind me later", QMessageBox::DestructiveRole);
    for (QPushButton* b : {rate, no, later})
        b->setAccessibleName(b->text());
    box->setDefaultButton(rate);
    box->setEscapeButton(later);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [=, this](QAbstractButton* clicked) {
        if (clicked == rate)
            answer(rating::RatingPrompt::Rate);
        else if (clicked == no)
            answer(rating::RatingPrompt::NoThanks);
        else
            answer(rating::RatingPrompt::RemindMeLater);
    });
    m_alert = box;
    box->open();
}

void RatingPrompt::answer(int returnCode) {
    std::optional<std::string> address = m_core->alertDidEnd(returnCode);
    if (!address)
        return;
    const QUrl url(QString::fromStdString(*address));
    m_open(url);
    // The second opening comes two seconds later without blocking the interface meanwhile.
    QTimer::singleShot(2000, this, [this, url] { m_open(url); });
}

} // namespace brivel::gui

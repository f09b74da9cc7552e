#include "core/app/Preferences.h"
#include "core/app/SupportFolder.h"
#include "core/model/Trade.h"
#include "core/platform/Clock.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/ProcessHeap.h"
#include "core/rating/RatingPrompt.h"
#include "gui/app/AppController.h"
#include "gui/app/QtDialogs.h"
#include "gui/app/Screenshooter.h"
#include "gui/app/SingleInstance.h"
#include "gui/app/StartupProbe.h"
#include "gui/app/ViewFactories.h"
#include "gui/rating/RatingPrompt.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    using namespace brivel;
    tuneHeapForLargeAccounts();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Brivel Trade Journal");
    QApplication::setOrganizationName("Brivel");
    QApplication::setApplicationVersion(BRIVEL_VERSION);
    QApplication::setDesktopFileName("org.brivel.TradeJournal");
    QApplication::setWindowIcon(QIcon(":/brivel/icons/brivel.svg"));

    const QStringList request = QApplication::arguments().mid(1);
    gui::SingleInstance instance;
    // The benchmark and the screenshots run on folders of their own, beside a running brivel.
    const bool probing = gui::StartupProbe::isActive() || gui::Screenshooter::isActive();
    if (!probing && instance.handOver(request))
        return 0;
    if (!probing)
        instance.listen();

    app::Preferences preferences(app::SupportFolder::preferencesFile());
    preferences.setAutosynchronize(true);
    gui::QtDialogs dialogs;
    gui::AppController controller(preferences, dialogs, gui::accountViewFactories());
    QObject::connect(&instance, &gui::SingleInstance::requestReceived, &controller,
                     &gui::AppController::handleRequest);
    gui::StartupProbe probe(controller);
    controller.applicationDidFinishLaunching();
    probe.started();

    // Each launch is a use; each trade that closes, in any open account, a significant event.
    SystemClock clock;
    gui::RatingPrompt rating(preferences, clock, [] { return QApplication::activeWindow(); });
    if (!probing)
        rating.core().appLaunched();
    const auto closedToken = NotificationCenter::defaultCenter().addObserver(
        model::TradeDidClose, nullptr, [&rating](const std::string&, const void*) {
            rating.core().userDidSignificantEvent(true);
        });
    gui::Screenshooter screenshots(controller);
    screenshots.start();
    if (const QStringList databases = request.filter(".brdb"); !databases.isEmpty())
        controller.handleRequest(databases);
    const int status = QApplication::exec();
    NotificationCenter::defaultCenter().removeObserver(closedToken);
    return status;
}

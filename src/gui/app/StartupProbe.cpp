#include "gui/app/StartupProbe.h"

#include "gui/app/AppController.h"
#include "gui/app/DocumentRegistry.h"
#include "gui/document/AccountDocument.h"
#include "gui/document/AccountWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace brivel::gui {

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

StartupProbe::StartupProbe(AppController& app, QObject* parent) : QObject(parent), m_app(app) {
    if (isActive())
        connect(&app.documents(), &DocumentRegistry::documentOpened, this, &StartupProbe::report);
}

bool StartupProbe::isActive() {
    return qEnvironmentVariableIntValue("BRIVEL_STARTUP_PROBE") == 1;
}

void StartupProbe::started() {
    if (!isActive())
        return;
    auto documents = m_app.documents().documents();
    if (!documents.empty())
        report(documents.front());
}

void StartupProbe::report(AccountDocument* document) {
    if (m_done)
        return;
    m_done = true;
    // Queued: the window is painted once control is back in the event loop.
    QTimer::singleShot(0, this, [this, document] {
        document->window().repaint();
        QApplication::processEvents();
        std::printf("shown rss_kb=%ld\n", residentKilobytes());
        std::fflush(stdout);
        QElapsedTimer timer;
        timer.start();
        const bool closed = document->close();
        std::printf("closed=%d close_ms=%.3f\n", closed ? 1 : 0,
                    static_cast<double>(timer.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
        m_app.quit();
    });
}

} // namespace brivel::gui

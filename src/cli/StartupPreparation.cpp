#include "cli/AccountResolution.h"
#include "cli/Commands.h"
#include "core/app/StartUp.h"
#include "core/app/SupportFolder.h"

#include <memory>

namespace brivel::cli {

namespace {
// One run of brivel-cli is one command: the preferences live as long as the process.
std::unique_ptr<app::Preferences> g_preferences;
} // namespace

void runStartupPreparation() {
    if (g_preferences)
        return;
    g_preferences = std::make_unique<app::Preferences>(app::SupportFolder::preferencesFile());
    app::StartUp::prepare(*g_preferences);
}

app::Preferences& preparedPreferences() {
    runStartupPreparation();
    return *g_preferences;
}

} // namespace brivel::cli

#pragma once

#include "core/app/AccountRecord.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"
#include "core/app/StartUp.h"
#include "core/app/SupportFolder.h"
#include "core/model/AccountStore.h"
#include "gui/ScriptedDialogs.h"
#include "gui/app/AppController.h"
#include "gui/app/ViewFactories.h"
#include "support/TempDir.h"

#include <memory>
#include <nlohmann/json.hpp>

namespace brivel::test {

// The application over temporary user folders, with scripted panels.
class AppFixture {
public:
    AppFixture()
        : dataHome(std::string("XDG_DATA_HOME"), (dir / "data").string()),
          configHome(std::string("XDG_CONFIG_HOME"), (dir / "config").string()),
          preferences(std::make_unique<app::Preferences>(app::SupportFolder::preferencesFile())) {
        app::StartUp::prepare(*preferences);
    }
    ~AppFixture() { controller.reset(); }

    // Accounts with their databases made, as (name, code, open) records.
    void setAccounts(const std::vector<std::tuple<std::string, std::string, bool>>& accounts) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& [name, code, open] : accounts) {
            list.push_back({{"name", name}, {"directory", code}, {"open", open}});
            std::filesystem::create_directories(app::AccountRecord::accountFolder(code));
            if (!std::filesystem::exists(app::AccountRecord::databasePath(code)))
                model::createEmptyAccountStore(app::AccountRecord::databasePath(code), nullptr);
        }
        preferences->setObject(list, app::prefkeys::ArrayOfAccounts);
    }

    gui::AppController& app() {
        if (!controller)
            controller = std::make_unique<gui::AppController>(*preferences, dialogs,
                                                              gui::accountViewFactories());
        return *controller;
    }
    gui::AppController& launch() {
        app().applicationDidFinishLaunching();
        return *controller;
    }

    TempDir dir;
    ScopedEnv dataHome;
    ScopedEnv configHome;
    ScriptedDialogs dialogs;
    std::unique_ptr<app::Preferences> preferences;
    std::unique_ptr<gui::AppController> controller;
};

} // namespace brivel::test

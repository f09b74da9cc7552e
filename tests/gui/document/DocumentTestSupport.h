#pragma once

#include "core/app/AccountRecord.h"
#include "core/app/Preferences.h"
#include "core/app/StartUp.h"
#include "core/app/SupportFolder.h"
#include "gui/ScriptedDialogs.h"
#include "gui/app/QtScheduler.h"
#include "gui/document/AccountDocument.h"
#include "gui/document/AccountView.h"
#include "support/TempDir.h"

#include <memory>

namespace brivel::test {

// A view that can be told to refuse ending its edit, or to list trades.
class RefusingView final : public gui::AccountView {
public:
    using gui::AccountView::AccountView;
    bool refuse = false;
    bool listing = false;
    QList<qint64> selected;
    bool commitEditing() override { return !refuse; }
    bool listsTrades() const override { return listing; }
    void selectTrades(const QList<qint64>& tradeIds) override { selected = tradeIds; }
};

inline std::vector<gui::AccountViewFactory> refusingViews() {
    std::vector<gui::AccountViewFactory> out;
    for (const char* title : {"Journal", "Trades", "Reports"})
        out.push_back(
            {title, QString(title).toLower() + "View",
             [](gui::AccountEnvironment&, QWidget* parent) { return new RefusingView(parent); }});
    return out;
}

// The user's folders in a temporary folder, start-up run, and the default account's database
// ready to open as a document.
class DocumentFixture {
public:
    DocumentFixture()
        : dataHome(std::string("XDG_DATA_HOME"), (dir / "data").string()),
          configHome(std::string("XDG_CONFIG_HOME"), (dir / "config").string()),
          preferences(std::make_unique<app::Preferences>(app::SupportFolder::preferencesFile())),
          services{*preferences, dialogs, refusingViews(), {}} {
        app::StartUp::prepare(*preferences);
    }

    std::filesystem::path defaultDatabase() const {
        return app::AccountRecord::databasePath(app::AccountRecord::DefaultFolderCode);
    }
    std::unique_ptr<gui::AccountDocument> open(const std::filesystem::path& path) {
        Error error;
        auto document = gui::AccountDocument::open(path, services,
                                                   std::make_unique<gui::QtScheduler>(), &error);
        if (!document)
            qWarning("cannot open %s: %s", path.c_str(), error.message().c_str());
        return document;
    }
    std::unique_ptr<gui::AccountDocument> openDefault() { return open(defaultDatabase()); }

    TempDir dir;
    ScopedEnv dataHome;
    ScopedEnv configHome;
    ScriptedDialogs dialogs;
    std::unique_ptr<app::Preferences> preferences;
    gui::DocumentServices services;
};

} // namespace brivel::test

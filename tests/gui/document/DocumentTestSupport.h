#pragma once

#include "../app/AppTestSupport.h"
#include "gui/app/QtScheduler.h"
#include "gui/document/AccountDocument.h"
#include "gui/document/AccountView.h"

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

// The application's fixture with the default account's database ready to open as a document.
class DocumentFixture : public AppFixture {
public:
    DocumentFixture() : services{*preferences, dialogs, refusingViews(), {}} {}

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

    gui::DocumentServices services;
};

} // namespace brivel::test

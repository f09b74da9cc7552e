#pragma once

#include <QWidget>
#include <memory>

#ifndef Q_MOC_RUN
#include "core/app/Preferences.h"
#include "core/controllers/ArrayController.h"
#endif

class QTableView;
class QTabWidget;

namespace brivel::gui {

class ArrayControllerModel;

// The Preferences window: the strategies and the market indices, each a list edited in place
// with add and remove, written back to the preferences at once.
class PreferencesController : public QWidget {
    Q_OBJECT
public:
    explicit PreferencesController(app::Preferences& preferences, QWidget* parent = nullptr);
    ~PreferencesController() override;

    // Ends the edit in progress, appends "New Strategy" (or "NEW") and starts editing it with
    // its text selected. An edit that cannot be committed stops it, with a log line.
    void createStrategy();
    void createIndex();

    QTableView* strategiesTV() const { return m_strategiesTV; }
    QTableView* indicesTV() const { return m_indicesTV; }
    controllers::ArrayController& strategiesAC() { return *m_strategiesAC; }
    controllers::ArrayController& indicesAC() { return *m_indicesAC; }
    QTabWidget* tabs() const { return m_tabs; }

private:
    QWidget* makeList(const QString& title, const std::string& key,
                      std::unique_ptr<controllers::ArrayController>& controller, QTableView*& table,
                      void (PreferencesController::*create)(), const QString& itemName);
    void create(QTableView* table, controllers::ArrayController& controller, const char* key,
                const char* placeholder, const char* logLine);
    void remove(QTableView* table, controllers::ArrayController& controller);

    app::Preferences& m_preferences;
    QTabWidget* m_tabs = nullptr;
    std::unique_ptr<controllers::ArrayController> m_strategiesAC;
    std::unique_ptr<controllers::ArrayController> m_indicesAC;
    QTableView* m_strategiesTV = nullptr;
    QTableView* m_indicesTV = nullptr;
};

} // namespace brivel::gui

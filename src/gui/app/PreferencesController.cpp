#include "gui/app/PreferencesController.h"

#include "core/app/PreferenceArrayContent.h"
#include "core/app/PreferenceKeys.h"
#include "core/platform/SystemLog.h"
#include "gui/ArrayControllerModel.h"
#include "gui/app/ItemViewEditing.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace brivel::gui {

using namespace app::prefkeys;

PreferencesController::PreferencesController(app::Preferences& preferences, QWidget* parent)
    : QWidget(parent, Qt::Window), m_preferences(preferences) {
    setObjectName("preferencesWindow");
    setWindowTitle(tr("Preferences"));
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName("preferencesTabs");
    m_tabs->setAccessibleName(tr("Preference lists"));
    m_tabs->addTab(makeList(tr("Strategy"), Strategy, m_strategiesAC, m_strategiesTV,
                            &PreferencesController::createStrategy, tr("Strategy")),
                   tr("Strategies"));
    m_tabs->addTab(makeList(tr("Index"), Index, m_indicesAC, m_indicesTV,
                            &PreferencesController::createIndex, tr("Index")),
                   tr("Indices"));
    m_strategiesTV->setObjectName("strategiesTV");
    m_strategiesTV->setAccessibleName(tr("Strategies"));
    m_indicesTV->setObjectName("indicesTV");
    m_indicesTV->setAccessibleName(tr("Indices"));
    layout->addWidget(m_tabs);
    resize(420, 380);
}

PreferencesController::~PreferencesController() {
    // The tables and their models go before the list controllers they show.
    delete m_tabs;
}

QWidget* PreferencesController::makeList(const QString& title, const std::string& key,
                                         std::unique_ptr<controllers::ArrayController>& controller,
                                         QTableView*& table,
                                         void (PreferencesController::*createFn)(),
                                         const QString& itemName) {
    const std::string listKey = key == Strategy ? ArrayOfStrategies : ArrayOfIndices;
    controller = std::make_unique<controllers::ArrayController>(
        std::make_unique<app::PreferenceArrayContent>(m_preferences, listKey));
    controller->setAllowsMultipleSelection(false);

    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* model = new ArrayControllerModel(*controller, {{title, key, {}, true}}, page);
    table = new QTableView(page);
    table->setModel(model);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table);

    auto* buttons = new QHBoxLayout;
    const QString lower = itemName.toLower();
    auto* add = new QPushButton(QStringLiteral("+"), page);
    add->setObjectName(QStringLiteral("add%1Button").arg(itemName));
    add->setAccessibleName(tr("Add %1").arg(itemName));
    add->setToolTip(tr("Add a %1").arg(lower));
    auto* remove = new QPushButton(QStringLiteral("−"), page);
    remove->setObjectName(QStringLiteral("remove%1Button").arg(itemName));
    remove->setAccessibleName(tr("Remove %1").arg(itemName));
    remove->setToolTip(tr("Remove the selected %1").arg(lower));
    add->setFixedWidth(add->sizeHint().height() * 3 / 2);
    remove->setFixedWidth(add->width());
    connect(add, &QPushButton::clicked, this, createFn);
    QTableView* view = table;
    controllers::ArrayController* ac = controller.get();
    connect(remove, &QPushButton::clicked, this, [this, view, ac] { this->remove(view, *ac); });
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return page;
}

void PreferencesController::createStrategy() {
    create(m_strategiesTV, *m_strategiesAC, Strategy, "New Strategy",
           "Unable to end editing for adding a strategy");
}

void PreferencesController::createIndex() {
    create(m_indicesTV, *m_indicesAC, Index, "NEW", "Unable to end editing for adding index");
}

void PreferencesController::create(QTableView* table, controllers::ArrayController& controller,
                                   const char* key, const char* placeholder, const char* logLine) {
    if (!commitItemViewEditing(table)) {
        systemLog().log(logLine);
        return;
    }
    auto* entry = controller.newObject();
    if (!entry)
        return;
    entry->setValueForKey(store::Value::string(placeholder), key);
    controller.addObject(entry);
    const auto count = controller.arrangedObjects().size();
    if (count > 0)
        editWithTextSelected(table, table->model()->index(static_cast<int>(count - 1), 0));
}

void PreferencesController::remove(QTableView* table, controllers::ArrayController& controller) {
    if (!commitItemViewEditing(table))
        return;
    std::vector<std::size_t> rows;
    for (const QModelIndex& i : table->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(i.row()));
    if (rows.empty())
        return;
    controller.setSelectionIndexes(rows);
    controller.remove();
}

} // namespace brivel::gui

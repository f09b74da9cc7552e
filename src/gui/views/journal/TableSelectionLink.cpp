#include "gui/views/journal/TableSelectionLink.h"

#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>

namespace brivel::gui::journal {

TableSelectionLink::TableSelectionLink(QTableView& table, controllers::ArrayController& controller)
    : QObject(&table), m_table(table), m_controller(controller) {
    m_controller.addListener(this);
    connect(m_table.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TableSelectionLink::takeTableSelection);
    showControllerSelection();
}

TableSelectionLink::~TableSelectionLink() {
    m_controller.removeListener(this);
}

void TableSelectionLink::takeTableSelection() {
    if (m_updating)
        return;
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_table.selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    m_updating = true;
    m_controller.setSelectionIndexes(rows);
    m_updating = false;
}

void TableSelectionLink::showControllerSelection() {
    if (m_updating)
        return;
    auto* model = m_table.model();
    auto* selection = m_table.selectionModel();
    if (!model || !selection)
        return;
    m_updating = true;
    QItemSelection wanted;
    const int lastColumn = model->columnCount() - 1;
    for (std::size_t row : m_controller.selectionIndexes())
        wanted.select(model->index(static_cast<int>(row), 0),
                      model->index(static_cast<int>(row), lastColumn));
    if (wanted != selection->selection()) {
        selection->select(wanted, QItemSelectionModel::ClearAndSelect);
        // Keep the current cell on a selected row, so the keyboard goes on from there.
        if (!wanted.isEmpty() && !selection->isRowSelected(selection->currentIndex().row())) {
            const QModelIndex first = wanted.indexes().value(0);
            selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
            m_table.scrollTo(first);
        }
    }
    m_updating = false;
}

} // namespace brivel::gui::journal

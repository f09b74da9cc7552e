#include "gui/views/trade/ControllerSelectionSync.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

namespace brivel::gui {

ControllerSelectionSync::ControllerSelectionSync(QAbstractItemView& view,
                                                 controllers::ArrayController& controller,
                                                 std::function<void()> onChange)
    : QObject(&view), m_view(view), m_controller(controller), m_onChange(std::move(onChange)) {
    m_controller.addListener(this);
    connect(m_view.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ControllerSelectionSync::fromView);
    toView();
}

ControllerSelectionSync::~ControllerSelectionSync() {
    m_controller.removeListener(this);
}

void ControllerSelectionSync::fromView() {
    if (m_updating)
        return;
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_view.selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    m_updating = true;
    m_controller.setSelectionIndexes(rows);
    m_updating = false;
    if (m_onChange)
        m_onChange();
}

void ControllerSelectionSync::toView() {
    auto* selection = m_view.selectionModel();
    auto* model = m_view.model();
    if (!selection || !model)
        return;
    m_updating = true;
    QItemSelection wanted;
    auto rows = m_controller.selectionIndexes();
    for (std::size_t row : rows) {
        QModelIndex left = model->index(static_cast<int>(row), 0);
        QModelIndex right = model->index(static_cast<int>(row), model->columnCount() - 1);
        wanted.select(left, right);
    }
    selection->select(wanted, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty()) {
        QModelIndex current = model->index(static_cast<int>(rows.front()), 0);
        selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        m_view.scrollTo(current);
    }
    m_updating = false;
}

void ControllerSelectionSync::selectionChanged() {
    if (m_updating)
        return;
    toView();
    if (m_onChange)
        m_onChange();
}

// The model follows the same notifications before this listener (it registered first), so the
// rows exist again when the selection is put back.
void ControllerSelectionSync::reset() {
    toView();
}
void ControllerSelectionSync::rowsInserted() {
    toView();
}
void ControllerSelectionSync::rowsRemoved() {
    toView();
}

} // namespace brivel::gui

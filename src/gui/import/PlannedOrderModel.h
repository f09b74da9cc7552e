#pragma once

#ifndef Q_MOC_RUN
#include "core/import/ImportPlan.h"
#endif

#include <QAbstractTableModel>
#include <utility>
#include <vector>

namespace brivel::gui {

// The first orders of an import plan, as they will be created: one row per order, numbered by
// the trade they will belong to. Reads the plan; keeps only the positions of the rows shown.
class PlannedOrderModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PlannedOrderModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows at most maxRows orders of the plan, which must outlive the model or be replaced.
    void setPlan(const import::ImportPlan* plan, int maxRows = 200);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const import::ImportPlan* m_plan = nullptr;
    std::vector<std::pair<std::size_t, std::size_t>> m_rows; // trade, order
};

} // namespace brivel::gui

#pragma once

#ifndef Q_MOC_RUN
#include "core/import/ImportPlan.h"
#endif

#include <QAbstractTableModel>

namespace brivel::gui {

// The lines of an import file that could not be understood: line number, column, value and why.
// Reads the plan's list; keeps no copy.
class BadLineModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BadLineModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // The plan must outlive the model or be replaced.
    void setPlan(const import::ImportPlan* plan);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const import::ImportPlan* m_plan = nullptr;
};

} // namespace brivel::gui

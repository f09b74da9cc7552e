#include "gui/import/BadLineModel.h"

#include <QLocale>

namespace brivel::gui {

void BadLineModel::setPlan(const import::ImportPlan* plan) {
    beginResetModel();
    m_plan = plan;
    endResetModel();
}

int BadLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_plan ? 0 : static_cast<int>(m_plan->badLines.size());
}

int BadLineModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant BadLineModel::data(const QModelIndex& index, int role) const {
    if (!m_plan || !index.isValid() || index.row() >= rowCount())
        return {};
    const import::BadLine& bad = m_plan->badLines[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() == 0)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case 0:
        return QLocale().toString(static_cast<qulonglong>(bad.line));
    case 1:
        return QString::fromStdString(bad.column);
    case 2:
        return QString::fromStdString(bad.value);
    case 3:
        return QString::fromStdString(bad.message);
    default:
        return {};
    }
}

QVariant BadLineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* titles[] = {"Line", "Column", "Value", "Problem"};
    return section >= 0 && section < 4 ? tr(titles[section]) : QVariant();
}

} // namespace brivel::gui

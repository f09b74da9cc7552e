#include "gui/app/AccountsTableModel.h"

#include "core/app/PreferenceKeys.h"

namespace brivel::gui {

using app::prefkeys::AccountName;
using app::prefkeys::AccountOpen;

AccountsTableModel::AccountsTableModel(controllers::ArrayController& controller, QObject* parent)
    : ArrayControllerModel(
          controller,
          {{tr("Name"), AccountName, {}, true},
           {tr("Open"), AccountOpen, [](const store::Value&) { return QString(); }, false}},
          parent) {}

QVariant AccountsTableModel::data(const QModelIndex& index, int role) const {
    if (index.column() != OpenColumn)
        return ArrayControllerModel::data(index, role);
    auto* object = objectAt(index.row());
    if (!object)
        return {};
    if (role == Qt::CheckStateRole)
        return object->valueForKey(AccountOpen).toBool() ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::AccessibleTextRole)
        return object->valueForKey(AccountOpen).toBool() ? tr("opens at start")
                                                         : tr("does not open at start");
    return role == Qt::DisplayRole ? QVariant() : ArrayControllerModel::data(index, role);
}

bool AccountsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (index.column() != OpenColumn || role != Qt::CheckStateRole)
        return ArrayControllerModel::setData(index, value, role);
    auto* object = objectAt(index.row());
    if (!object)
        return false;
    const bool open = value.toInt() == Qt::Checked;
    object->setValueForKey(store::Value::boolean(open), AccountOpen);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags AccountsTableModel::flags(const QModelIndex& index) const {
    auto f = ArrayControllerModel::flags(index);
    if (index.isValid() && index.column() == OpenColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

} // namespace brivel::gui

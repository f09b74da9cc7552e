#pragma once

#include "gui/ArrayControllerModel.h"

namespace brivel::gui {

// The accounts table: the name, edited in place, and "open" as a check box.
class AccountsTableModel final : public ArrayControllerModel {
    Q_OBJECT
public:
    static constexpr int NameColumn = 0;
    static constexpr int OpenColumn = 1;

    explicit AccountsTableModel(controllers::ArrayController& controller,
                                QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
};

} // namespace brivel::gui

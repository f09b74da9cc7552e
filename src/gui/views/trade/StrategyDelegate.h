#pragma once

#include <QStyledItemDelegate>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brivel::gui {

// Chooses a trade's strategy from the strategies list by position. A stored position outside the
// list is shown as such ("Unknown strategy #n") and stays unless the user picks another.
class StrategyDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using Names = std::function<std::vector<std::optional<std::string>>()>;

    StrategyDelegate(Names names, QObject* parent = nullptr);

    // The text of a stored position: the strategy's name, or what says it is not in the list.
    static QString displayName(const std::vector<std::optional<std::string>>& names,
                               std::int64_t position, bool isSet);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    Names m_names;
};

} // namespace brivel::gui

#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>

namespace brivel::gui::journal {

// The index of a price barrier is chosen from the configured market indices (or typed, for one
// not configured yet).
class IndexNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    IndexNameDelegate(std::function<QStringList()> names, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    std::function<QStringList()> m_names;
};

} // namespace brivel::gui::journal

#include "gui/views/journal/IndexNameDelegate.h"

#include <QComboBox>

namespace brivel::gui::journal {

IndexNameDelegate::IndexNameDelegate(std::function<QStringList()> names, QObject* parent)
    : QStyledItemDelegate(parent), m_names(std::move(names)) {}

QWidget* IndexNameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex&) const {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("indexNameEditor"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(m_names ? m_names() : QStringList());
    return combo;
}

void IndexNameDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* combo = static_cast<QComboBox*>(editor);
    combo->setCurrentText(index.data(Qt::EditRole).toString());
}

void IndexNameDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    model->setData(index, static_cast<QComboBox*>(editor)->currentText().trimmed(), Qt::EditRole);
}

} // namespace brivel::gui::journal

#include "gui/app/ItemViewEditing.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMetaProperty>

namespace brivel::gui {

QWidget* itemViewEditor(QAbstractItemView* view) {
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus->isVisible() && view->viewport()->isAncestorOf(focus))
        return focus;
    // A closed editor lingers hidden until it is deleted.
    for (auto* w : view->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && w->metaObject()->userProperty().isValid())
            return w;
    return nullptr;
}

bool commitItemViewEditing(QAbstractItemView* view) {
    QWidget* editor = itemViewEditor(view);
    const QModelIndex index = view->currentIndex();
    if (!editor || !index.isValid())
        return true;
    const QMetaProperty property = editor->metaObject()->userProperty();
    if (!view->model()->setData(index, property.read(editor), Qt::EditRole))
        return false;
    QMetaObject::invokeMethod(
        view, "closeEditor", Q_ARG(QWidget*, editor),
        Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
    return true;
}

void editWithTextSelected(QAbstractItemView* view, const QModelIndex& index) {
    view->setCurrentIndex(index);
    view->scrollTo(index);
    view->edit(index);
    if (auto* line = qobject_cast<QLineEdit*>(itemViewEditor(view)))
        line->selectAll();
}

} // namespace brivel::gui

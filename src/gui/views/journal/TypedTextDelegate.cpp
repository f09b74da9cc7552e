#include "gui/views/journal/TypedTextDelegate.h"

#include "gui/ArrayControllerModel.h"

#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QValidator>

namespace brivel::gui::journal {

namespace {
// Intermediate, never Invalid: the user may type on towards a readable text.
class AcceptorValidator : public QValidator {
public:
    AcceptorValidator(const QModelIndex& index, QObject* parent)
        : QValidator(parent), m_index(index) {}
    State validate(QString& input, int&) const override {
        auto* model = qobject_cast<const ArrayControllerModel*>(m_index.model());
        return !model || model->acceptsText(m_index, input) ? Acceptable : Intermediate;
    }

private:
    QPersistentModelIndex m_index;
};
} // namespace

QWidget* TypedTextDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setValidator(new AcceptorValidator(index, line));
    return editor;
}

} // namespace brivel::gui::journal

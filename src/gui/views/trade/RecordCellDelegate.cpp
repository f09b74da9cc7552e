#include "gui/views/trade/RecordCellDelegate.h"

#include "core/store/ManagedObject.h"
#include "gui/ArrayControllerModel.h"

#include <QCompleter>
#include <QDateTimeEdit>
#include <QDoubleValidator>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>

namespace brivel::gui {

using store::AttributeType;
using store::Value;

namespace {

std::optional<AttributeType> attributeType(const store::KeyValueCoding* object,
                                           const std::string& key) {
    const auto* record = dynamic_cast<const store::ManagedObject*>(object);
    if (!record)
        return std::nullopt;
    for (const auto& a : record->entity().attributes)
        if (a.name == key)
            return a.type;
    return std::nullopt;
}

store::KeyValueCoding* objectAt(const QModelIndex& index) {
    const auto* model = qobject_cast<const ArrayControllerModel*>(index.model());
    return model ? model->objectAt(index.row()) : nullptr;
}

} // namespace

RecordCellDelegate::RecordCellDelegate(std::vector<std::string> keys, QObject* parent)
    : QStyledItemDelegate(parent), m_keys(std::move(keys)) {}

void RecordCellDelegate::setCompletions(int column, std::function<QStringList()> provider) {
    m_completions[column] = std::move(provider);
}

void RecordCellDelegate::setToggle(int column, Toggle toggle) {
    m_toggles[column] = std::move(toggle);
}

const std::string* RecordCellDelegate::keyAt(const QModelIndex& index) const {
    if (index.column() < 0 || static_cast<std::size_t>(index.column()) >= m_keys.size())
        return nullptr;
    return &m_keys[static_cast<std::size_t>(index.column())];
}

QWidget* RecordCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    const std::string* key = keyAt(index);
    auto* object = objectAt(index);
    if (!key || !object || m_toggles.count(index.column()))
        return nullptr;
    auto type = attributeType(object, *key);
    if (type == AttributeType::Date) {
        auto* edit = new QDateTimeEdit(parent);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QLocale().dateTimeFormat(QLocale::ShortFormat));
        return edit;
    }
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    if (type == AttributeType::Double) {
        edit->setValidator(new QDoubleValidator(edit));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    } else if (type == AttributeType::Int32 || type == AttributeType::Int16) {
        edit->setValidator(new QIntValidator(edit));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    } else if (auto it = m_completions.find(index.column()); it != m_completions.end()) {
        auto* completer = new QCompleter(it->second(), edit);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setFilterMode(Qt::MatchContains);
        completer->setCompletionMode(QCompleter::PopupCompletion);
        edit->setCompleter(completer);
    }
    (void)option;
    return edit;
}

void RecordCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const std::string* key = keyAt(index);
    auto* object = objectAt(index);
    if (!key || !object)
        return;
    Value value = object->valueForKey(*key);
    if (auto* dateEdit = qobject_cast<QDateTimeEdit*>(editor)) {
        double seconds = value.type() == Value::Type::Date ? value.toDate().secondsSince1970 : 0;
        dateEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(seconds * 1000)));
        return;
    }
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit)
        return;
    if (value.type() == Value::Type::Double)
        edit->setText(QLocale().toString(value.toDouble(), 'f', QLocale::FloatingPointShortest));
    else if (value.type() == Value::Type::Int)
        edit->setText(QLocale().toString(static_cast<qlonglong>(value.toInt64())));
    else
        edit->setText(gui::displayText(value));
}

void RecordCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                      const QModelIndex& index) const {
    const std::string* key = keyAt(index);
    auto* object = objectAt(index);
    if (!key || !object)
        return;
    auto type = attributeType(object, *key);
    Value value;
    if (auto* dateEdit = qobject_cast<QDateTimeEdit*>(editor)) {
        value = Value::date(
            Date(static_cast<double>(dateEdit->dateTime().toMSecsSinceEpoch()) / 1000.0));
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        const QString text = edit->text().trimmed();
        bool ok = true;
        if (type == AttributeType::Double)
            value = text.isEmpty() ? Value() : Value::real(QLocale().toDouble(text, &ok));
        else if (type == AttributeType::Int32 || type == AttributeType::Int16)
            value = text.isEmpty() ? Value() : Value::integer(QLocale().toLongLong(text, &ok));
        else
            value = text.isEmpty() ? Value() : Value::string(edit->text().toStdString());
        if (!ok)
            return; // not a number: the old value stays
    } else {
        return;
    }
    if (!(object->valueForKey(*key) == value))
        object->setValueForKey(value, *key);
}

bool RecordCellDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                     const QStyleOptionViewItem& option, const QModelIndex& index) {
    auto it = m_toggles.find(index.column());
    if (it == m_toggles.end())
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    bool flip = false;
    if (event->type() == QEvent::MouseButtonRelease)
        flip = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
               option.rect.contains(static_cast<QMouseEvent*>(event)->position().toPoint());
    else if (event->type() == QEvent::KeyPress)
        flip = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space;
    if (!flip)
        return false;
    if (it->second.beforeClick)
        it->second.beforeClick();
    auto* object = objectAt(index);
    const std::string* key = keyAt(index);
    if (object && key)
        object->setValueForKey(Value::boolean(!object->valueForKey(*key).toBool()), *key);
    return true;
}

} // namespace brivel::gui

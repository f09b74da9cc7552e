#include "gui/ArrayControllerModel.h"

#include "core/store/ManagedObject.h"

#include <QDateTime>
#include <QLocale>
#include <stdexcept>

namespace brivel::gui {

using store::Value;

QString displayText(const Value& value) {
    switch (value.type()) {
    case Value::Type::Null:
        return {};
    case Value::Type::Bool:
        return value.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
    case Value::Type::Int:
        return QLocale().toString(static_cast<qlonglong>(value.toInt64()));
    case Value::Type::Double:
        return QLocale().toString(value.toDouble(), 'f', 2);
    case Value::Type::String:
        return QString::fromUtf8(value.stringView().data(),
                                 static_cast<qsizetype>(value.stringView().size()));
    case Value::Type::Date: {
        auto ms = static_cast<qint64>(value.toDate().secondsSince1970 * 1000.0);
        return QLocale().toString(QDateTime::fromMSecsSinceEpoch(ms), QLocale::ShortFormat);
    }
    }
    return {};
}

Value valueFromText(const QString& text, const Value& like) {
    if (text.trimmed().isEmpty() && like.type() != Value::Type::String)
        return Value();
    bool ok = false;
    switch (like.type()) {
    case Value::Type::Int: {
        auto n = QLocale().toLongLong(text.trimmed(), &ok);
        return ok ? Value::integer(n) : like;
    }
    case Value::Type::Double: {
        double d = QLocale().toDouble(text.trimmed(), &ok);
        return ok ? Value::real(d) : like;
    }
    default:
        return Value::string(text.toStdString());
    }
}

namespace {

Value emptyValueOfAttribute(const controllers::KeyValueCoding& object, const std::string& key) {
    const auto* record = dynamic_cast<const store::ManagedObject*>(&object);
    if (!record)
        return Value();
    for (const auto& a : record->entity().attributes) {
        if (a.name != key)
            continue;
        switch (a.type) {
        case store::AttributeType::Int16:
        case store::AttributeType::Int32:
            return Value::integer(0);
        case store::AttributeType::Double:
            return Value::real(0);
        case store::AttributeType::String:
            return Value::string("");
        default:
            return Value();
        }
    }
    return Value();
}

} // namespace

ArrayControllerModel::ArrayControllerModel(controllers::ArrayController& controller,
                                           std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_controller(controller), m_columns(std::move(columns)) {
    m_controller.addListener(this);
}

ArrayControllerModel::~ArrayControllerModel() {
    m_controller.removeListener(this);
}

int ArrayControllerModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_controller.arrangedObjects().size());
}

int ArrayControllerModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

controllers::KeyValueCoding* ArrayControllerModel::objectAt(int row) const {
    const auto& rows = m_controller.arrangedObjects();
    return row >= 0 && static_cast<std::size_t>(row) < rows.size() ? rows[row] : nullptr;
}

bool ArrayControllerModel::acceptsText(const QModelIndex& index, const QString& text) const {
    auto* object = objectAt(index.row());
    if (!object || index.column() < 0 || index.column() >= columnCount())
        return false;
    const auto& column = m_columns[static_cast<std::size_t>(index.column())];
    return !column.parse || column.parse(text, object->valueForKeyPath(column.key)).has_value();
}

QVariant ArrayControllerModel::data(const QModelIndex& index, int role) const {
    auto* object = objectAt(index.row());
    if (!object || index.column() < 0 || index.column() >= columnCount())
        return {};
    const auto& column = m_columns[static_cast<std::size_t>(index.column())];
    Value value = object->valueForKeyPath(column.key);
    if (column.checkable) {
        if (role == Qt::CheckStateRole)
            return value.toBool() ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return column.display ? column.display(value) : displayText(value);
    case SortRole:
        if (value.isNumber())
            return value.toDouble();
        if (value.type() == Value::Type::Date)
            return value.toDate().secondsSince1970;
        return displayText(value);
    case Qt::TextAlignmentRole:
        return value.isNumber() ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
        return {};
    }
}

bool ArrayControllerModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    auto* object = objectAt(index.row());
    if (!object)
        return false;
    const auto& column = m_columns[static_cast<std::size_t>(index.column())];
    if (role == Qt::CheckStateRole && column.checkable) {
        object->setValueForKey(Value::boolean(value.toInt() == static_cast<int>(Qt::Checked)),
                               column.key);
        return true;
    }
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    Value old = object->valueForKeyPath(column.key);
    // An absent value has no kind of its own: take the attribute's, so that "100" typed into an
    // empty share count is a number and not text the record refuses.
    if (old.isNull())
        old = emptyValueOfAttribute(*object, column.key);
    Value typed;
    if (column.parse) {
        auto parsed = column.parse(value.toString(), old);
        if (!parsed)
            return false;
        typed = std::move(*parsed);
    } else {
        typed = valueFromText(value.toString(), old);
    }
    try {
        object->setValueForKey(typed, column.key);
    } catch (const std::invalid_argument&) {
        return false; // text the attribute cannot hold: the old value stays
    }
    return true;
}

QVariant ArrayControllerModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return m_columns[static_cast<std::size_t>(section)].title;
}

Qt::ItemFlags ArrayControllerModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    auto f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const auto& column = m_columns[static_cast<std::size_t>(index.column())];
    if (column.checkable)
        f |= Qt::ItemIsUserCheckable;
    else if (column.editable)
        f |= Qt::ItemIsEditable;
    return f;
}

void ArrayControllerModel::aboutToInsertRows(std::size_t first, std::size_t last) {
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(last));
}
void ArrayControllerModel::rowsInserted() {
    endInsertRows();
}
void ArrayControllerModel::aboutToRemoveRows(std::size_t first, std::size_t last) {
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(last));
}
void ArrayControllerModel::rowsRemoved() {
    endRemoveRows();
}
void ArrayControllerModel::aboutToReset() {
    beginResetModel();
}
void ArrayControllerModel::reset() {
    endResetModel();
}
void ArrayControllerModel::rowsChanged(std::size_t first, std::size_t last) {
    emit dataChanged(index(static_cast<int>(first), 0),
                     index(static_cast<int>(last), columnCount() - 1));
}

} // namespace brivel::gui

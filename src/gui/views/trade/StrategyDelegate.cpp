#include "gui/views/trade/StrategyDelegate.h"

#include "gui/ArrayControllerModel.h"

#include <QComboBox>

namespace brivel::gui {

namespace {

constexpr const char* StrategyKey = "tradeStrategy";

store::KeyValueCoding* objectAt(const QModelIndex& index) {
    const auto* model = qobject_cast<const ArrayControllerModel*>(index.model());
    return model ? model->objectAt(index.row()) : nullptr;
}

} // namespace

StrategyDelegate::StrategyDelegate(Names names, QObject* parent)
    : QStyledItemDelegate(parent), m_names(std::move(names)) {}

QString StrategyDelegate::displayName(const std::vector<std::optional<std::string>>& names,
                                      std::int64_t position, bool isSet) {
    if (!isSet)
        return {};
    if (position >= 0 && static_cast<std::size_t>(position) < names.size()) {
        const auto& name = names[static_cast<std::size_t>(position)];
        return name ? QString::fromStdString(*name)
                    : QObject::tr("Unnamed strategy #%1").arg(position + 1);
    }
    return QObject::tr("Unknown strategy #%1").arg(position + 1);
}

QWidget* StrategyDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                        const QModelIndex& index) const {
    if (!objectAt(index))
        return nullptr;
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("tradeStrategyPU"));
    box->setAccessibleName(tr("Strategy"));
    auto names = m_names();
    for (std::size_t i = 0; i < names.size(); ++i)
        box->addItem(displayName(names, static_cast<std::int64_t>(i), true),
                     static_cast<qlonglong>(i));
    return box;
}

void StrategyDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = qobject_cast<QComboBox*>(editor);
    auto* object = objectAt(index);
    if (!box || !object)
        return;
    store::Value value = object->valueForKey(StrategyKey);
    if (value.isNull()) {
        box->setCurrentIndex(-1);
        return;
    }
    std::int64_t position = value.toInt64();
    int found = box->findData(static_cast<qlonglong>(position));
    if (found < 0) {
        // Never show another strategy in place of one the list no longer has.
        box->addItem(displayName(m_names(), position, true), static_cast<qlonglong>(position));
        found = box->count() - 1;
    }
    box->setCurrentIndex(found);
}

void StrategyDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                    const QModelIndex& index) const {
    auto* box = qobject_cast<QComboBox*>(editor);
    auto* object = objectAt(index);
    if (!box || !object || box->currentIndex() < 0)
        return;
    auto value = store::Value::integer(box->currentData().toLongLong());
    if (!(object->valueForKey(StrategyKey) == value))
        object->setValueForKey(value, StrategyKey);
}

} // namespace brivel::gui

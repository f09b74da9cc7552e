#pragma once

// moc does not read C++20 library headers; it needs nothing from core.
#ifndef Q_MOC_RUN
#include "core/controllers/ArrayController.h"
#endif

#include <QAbstractTableModel>
#include <functional>
#include <optional>
#include <vector>

namespace brivel::gui {

// Shows an ArrayController's arranged objects as table rows. It keeps no copy of the data: the
// controller's paired notifications become row calls, value changes become dataChanged.
class ArrayControllerModel : public QAbstractTableModel,
                             private controllers::ArrayControllerListener {
    Q_OBJECT
public:
    struct Column {
        QString title;
        std::string key;
        // Display text of the value; empty function: the value's own text.
        std::function<QString(const store::Value&)> display;
        bool editable = false;
        // The value of typed text, given the cell's value before; nothing refuses the text (the
        // edit is not committed). Empty function: valueFromText.
        std::function<std::optional<store::Value>(const QString& text, const store::Value& old)>
            parse{};
        // Shown and edited as a check box (a boolean value).
        bool checkable = false;
    };

    // The role that gives the raw value for sorting (a double, a string or seconds).
    static constexpr int SortRole = Qt::UserRole + 1;

    ArrayControllerModel(controllers::ArrayController& controller, std::vector<Column> columns,
                         QObject* parent = nullptr);
    ~ArrayControllerModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    controllers::KeyValueCoding* objectAt(int row) const;
    // Whether the cell can take the typed text (its column's parse reads it).
    bool acceptsText(const QModelIndex& index, const QString& text) const;

private:
    void aboutToInsertRows(std::size_t first, std::size_t last) override;
    void rowsInserted() override;
    void aboutToRemoveRows(std::size_t first, std::size_t last) override;
    void rowsRemoved() override;
    void aboutToReset() override;
    void reset() override;
    void rowsChanged(std::size_t first, std::size_t last) override;

    controllers::ArrayController& m_controller;
    std::vector<Column> m_columns;
};

// The value's text for display: numbers plainly, dates in the local short form.
QString displayText(const store::Value& value);
// A user's typed text as a value of the kind the old value has.
store::Value valueFromText(const QString& text, const store::Value& like);

} // namespace brivel::gui

#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace brivel::gui {

// Edits the cells of a record table in the type of the attribute each column shows: numbers
// parsed in the user's locale (a value that is not a number is refused, the old one kept), dates
// with a date editor, text with optional completions, and yes/no columns as a two-state toggle
// that a click flips. Values are set on the record, so every edit is an undo step of the context.
class RecordCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    struct Toggle {
        QString on, off;
        // Runs before the click takes effect (ends the text editing in progress).
        std::function<void()> beforeClick;
    };

    // keys: the attribute each column edits (by column).
    RecordCellDelegate(std::vector<std::string> keys, QObject* parent = nullptr);

    // Text offered while typing in a column, asked for when the editor opens.
    void setCompletions(int column, std::function<QStringList()> provider);
    void setToggle(int column, Toggle toggle);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    const std::string* keyAt(const QModelIndex& index) const;

    std::vector<std::string> m_keys;
    std::map<int, std::function<QStringList()>> m_completions;
    std::map<int, Toggle> m_toggles;
};

} // namespace brivel::gui

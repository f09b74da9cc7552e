#pragma once

#ifndef Q_MOC_RUN
#include "core/import/ImportOptions.h"
#include "core/import/ImportPlan.h"
#include "core/import/ImportSummary.h"
#endif

#include <QDialog>
#include <map>
#include <optional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QVBoxLayout;

namespace brivel::gui {

struct AccountEnvironment;
class BadLineModel;
class PlannedOrderModel;

// File > Import Trades…: the chosen file read at once into a preview (the format found, the
// column matches, which the user can change, the first rows as the orders they will become, the
// lines that cannot be read), then, on "Import", every planned record created as one undo step.
class ImportTradesDialog : public QDialog {
    Q_OBJECT
public:
    ImportTradesDialog(AccountEnvironment& env, QWidget* parent = nullptr);
    ~ImportTradesDialog() override;

    // Asks for a file with an open panel; false when the user cancels.
    bool chooseFile();
    // Reads the file and shows its preview.
    void setFile(const QString& path);
    // Another column for an execution field ("price"); an empty column means none.
    void setColumn(const QString& field, const QString& column);

    const import::ImportPlan& plan() const { return m_plan; }
    // What the last import created.
    const std::optional<import::ImportSummary>& summary() const { return m_summary; }
    // Whether the preview may be imported: a plan without failure, and bad lines only when they
    // are to be skipped.
    bool canImport() const;

    // "Import": creates the records, tells the user what was made, closes.
    void accept() override;

private:
    QVBoxLayout* buildSourceRows();
    QGroupBox* buildColumnsBox();
    void buildLayout();
    void reread();
    void showPlan();
    void showColumns();
    void updateState();
    void columnChosen(int field);
    import::ImportSummary runImport();

    AccountEnvironment& m_env;
    QString m_file;
    import::ImportOptions m_options;
    import::ImportPlan m_plan;
    std::optional<import::ImportSummary> m_summary;

    QLineEdit* m_fileEdit = nullptr;
    QComboBox* m_formatCombo = nullptr;
    QLabel* m_detectedLabel = nullptr;
    QWidget* m_columnsBox = nullptr;
    std::map<int, QComboBox*> m_columnCombos;
    QTableView* m_previewTable = nullptr;
    QLabel* m_errorsLabel = nullptr;
    QTableView* m_errorsTable = nullptr;
    QCheckBox* m_skipBadLines = nullptr;
    QCheckBox* m_keepDuplicates = nullptr;
    QLabel* m_summaryLabel = nullptr;
    QPushButton* m_importButton = nullptr;
    PlannedOrderModel* m_orders = nullptr;
    BadLineModel* m_badLines = nullptr;
    bool m_filling = false; // while the column choices are being refilled from the plan
};

// Opens the file panel and, once a file is chosen, the import dialog, window-modal to parent.
void showImportTradesDialog(AccountEnvironment& env, QWidget* parent);

} // namespace brivel::gui

#include "gui/import/ImportTradesDialog.h"

#include "core/import/ColumnMatcher.h"
#include "core/import/TradeImporter.h"
#include "gui/document/AccountEnvironment.h"
#include "gui/import/BadLineModel.h"
#include "gui/import/PlannedOrderModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace brivel::gui {

namespace {

// Files above this size read behind a progress panel.
constexpr qint64 LargeFile = 1 << 20;

QTableView* makeTable(QAbstractItemModel* model, const char* name, const QString& accessible) {
    auto* table = new QTableView;
    table->setObjectName(name);
    table->setAccessibleName(accessible);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QString plainNumber(std::size_t n) {
    return QLocale().toString(static_cast<qulonglong>(n));
}

} // namespace

ImportTradesDialog::ImportTradesDialog(AccountEnvironment& env, QWidget* parent)
    : QDialog(parent), m_env(env) {
    setObjectName("importTradesDialog");
    setWindowTitle(tr("Import Trades"));
    setAccessibleName(tr("Import Trades"));
    m_orders = new PlannedOrderModel(this);
    m_badLines = new BadLineModel(this);
    buildLayout();
    updateState();
    resize(900, 640);
}

ImportTradesDialog::~ImportTradesDialog() {
    // The models read the plan: let go of it before it goes.
    m_orders->setPlan(nullptr);
    m_badLines->setPlan(nullptr);
}

// The file and its format.
QVBoxLayout* ImportTradesDialog::buildSourceRows() {
    auto* rows = new QVBoxLayout;
    auto* fileRow = new QHBoxLayout;
    m_fileEdit = new QLineEdit;
    m_fileEdit->setObjectName("importFileEdit");
    m_fileEdit->setAccessibleName(tr("File to import"));
    m_fileEdit->setReadOnly(true);
    auto* choose = new QPushButton(tr("Choose File…"));
    choose->setObjectName("importChooseButton");
    choose->setAccessibleName(tr("Choose the file to import"));
    connect(choose, &QPushButton::clicked, this, [this] { chooseFile(); });
    fileRow->addWidget(new QLabel(tr("File:")));
    fileRow->addWidget(m_fileEdit, 1);
    fileRow->addWidget(choose);
    rows->addLayout(fileRow);

    auto* formatRow = new QHBoxLayout;
    m_formatCombo = new QComboBox;
    m_formatCombo->setObjectName("importFormatCombo");
    m_formatCombo->setAccessibleName(tr("File format"));
    m_formatCombo->addItems(
        {tr("Detect from the header"), tr("Brivel trade export"), tr("Broker executions")});
    connect(m_formatCombo, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_options.format.reset();
        if (i == 1)
            m_options.format = import::ImportFormat::Brivel;
        else if (i == 2)
            m_options.format = import::ImportFormat::Executions;
        reread();
    });
    m_detectedLabel = new QLabel;
    m_detectedLabel->setObjectName("importDetectedLabel");
    m_detectedLabel->setWordWrap(true);
    formatRow->addWidget(new QLabel(tr("Format:")));
    formatRow->addWidget(m_formatCombo);
    formatRow->addWidget(m_detectedLabel, 1);
    rows->addLayout(formatRow);

    return rows;
}

// One pop-up per field, naming the file's column that fills it.
QGroupBox* ImportTradesDialog::buildColumnsBox() {
    auto* columns = new QGroupBox(tr("Columns"));
    columns->setObjectName("importColumnsBox");
    auto* form = new QFormLayout(columns);
    const auto& names = import::ColumnMatcher::fieldNames();
    for (int f = 0; f < import::ColumnMatcher::FieldCount; ++f) {
        auto* combo = new QComboBox;
        combo->setObjectName(QString("importColumn_%1").arg(names[std::size_t(f)]));
        combo->setAccessibleName(tr("Column for %1").arg(names[std::size_t(f)]));
        connect(combo, &QComboBox::currentIndexChanged, this, [this, f] { columnChosen(f); });
        form->addRow(QString(names[std::size_t(f)]) + ":", combo);
        m_columnCombos[f] = combo;
    }

    m_columnsBox = columns;
    return columns;
}

void ImportTradesDialog::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildSourceRows());
    auto* columns = buildColumnsBox();

    auto* top = new QHBoxLayout;
    top->addWidget(columns);
    auto* previewBox = new QVBoxLayout;
    previewBox->addWidget(new QLabel(tr("The first orders, as they will be created:")));
    m_previewTable = makeTable(m_orders, "importPreviewTable", tr("Orders to be created"));
    previewBox->addWidget(m_previewTable, 1);
    top->addLayout(previewBox, 1);
    layout->addLayout(top, 3);

    m_errorsLabel = new QLabel;
    m_errorsLabel->setObjectName("importErrorsLabel");
    layout->addWidget(m_errorsLabel);
    m_errorsTable = makeTable(m_badLines, "importErrorsTable", tr("Lines that cannot be read"));
    layout->addWidget(m_errorsTable, 1);

    m_skipBadLines = new QCheckBox(tr("Skip the lines that cannot be read"));
    m_skipBadLines->setObjectName("importSkipBadLines");
    m_skipBadLines->setAccessibleName(m_skipBadLines->text());
    connect(m_skipBadLines, &QCheckBox::toggled, this, [this](bool on) {
        m_options.skipBadLines = on;
        updateState();
    });
    m_keepDuplicates = new QCheckBox(tr("Import executions the account already holds"));
    m_keepDuplicates->setObjectName("importKeepDuplicates");
    m_keepDuplicates->setAccessibleName(m_keepDuplicates->text());
    connect(m_keepDuplicates, &QCheckBox::toggled, this, [this](bool on) {
        m_options.keepDuplicates = on;
        reread();
    });
    layout->addWidget(m_skipBadLines);
    layout->addWidget(m_keepDuplicates);

    m_summaryLabel = new QLabel;
    m_summaryLabel->setObjectName("importSummaryLabel");
    m_summaryLabel->setWordWrap(true);
    layout->addWidget(m_summaryLabel);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    m_importButton = buttons->addButton(tr("Import"), QDialogButtonBox::AcceptRole);
    m_importButton->setObjectName("importButton");
    m_importButton->setAccessibleName(tr("Import"));
    m_importButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportTradesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportTradesDialog::reject);
    layout->addWidget(buttons);
}

bool ImportTradesDialog::chooseFile() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Import Trades"), m_file,
                                                      tr("CSV files (*.csv *.txt);;All files (*)"));
    if (path.isEmpty())
        return false;
    setFile(path);
    return true;
}

void ImportTradesDialog::setFile(const QString& path) {
    m_file = path;
    m_fileEdit->setText(QDir::toNativeSeparators(path));
    m_options.columnMap.clear(); // another file, other columns
    reread();
}

void ImportTradesDialog::setColumn(const QString& field, const QString& column) {
    auto& map = m_options.columnMap;
    std::erase_if(map, [&](const auto& m) { return m.first == field.toStdString(); });
    map.emplace_back(field.toStdString(), column.toStdString());
    reread();
}

void ImportTradesDialog::columnChosen(int field) {
    if (m_filling)
        return;
    QComboBox* combo = m_columnCombos[field];
    // Item 0 is "(none)"; the others are the header's columns in order.
    const int index = combo->currentIndex();
    setColumn(import::ColumnMatcher::fieldNames()[std::size_t(field)],
              index <= 0 ? QString() : QString::number(index));
}

void ImportTradesDialog::reread() {
    m_orders->setPlan(nullptr);
    m_badLines->setPlan(nullptr);
    m_plan = {};
    if (!m_file.isEmpty()) {
        import::TradeImporter importer(m_env.context, m_env.preferences, m_env.clock,
                                       m_env.prompter, m_env.folderCode);
        std::unique_ptr<QProgressDialog> progress;
        if (QFileInfo(m_file).size() > LargeFile) {
            progress = std::make_unique<QProgressDialog>(
                tr("Reading %1…").arg(QFileInfo(m_file).fileName()), tr("Cancel"), 0, 0, this);
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(300);
        }
        m_plan = importer.read(m_file.toStdString(), m_options, [&](std::uint64_t lines) {
            if (!progress)
                return true;
            progress->setLabelText(
                tr("Reading %1… %2 lines").arg(QFileInfo(m_file).fileName(), plainNumber(lines)));
            QApplication::processEvents();
            return !progress->wasCanceled();
        });
    }
    showPlan();
}

void ImportTradesDialog::showPlan() {
    m_orders->setPlan(&m_plan);
    m_badLines->setPlan(&m_plan);
    if (m_file.isEmpty())
        m_detectedLabel->setText(tr("Choose a file to import."));
    else if (m_plan.failure)
        m_detectedLabel->setText(QString::fromStdString(*m_plan.failure));
    else
        m_detectedLabel->setText(tr("%1, %2 lines")
                                     .arg(m_plan.format == import::ImportFormat::Brivel
                                              ? tr("Brivel trade export")
                                              : tr("Broker executions"),
                                          plainNumber(m_plan.linesRead)));
    showColumns();
    updateState();
}

void ImportTradesDialog::showColumns() {
    m_filling = true;
    const bool executions =
        !m_plan.header.empty() && m_plan.format == import::ImportFormat::Executions;
    m_columnsBox->setEnabled(executions);
    for (auto& [field, combo] : m_columnCombos) {
        combo->clear();
        combo->addItem(tr("(none)"));
        for (const auto& name : m_plan.header)
            combo->addItem(QString::fromStdString(name));
        int chosen = 0;
        for (const auto& match : m_plan.columns)
            if (match.field == import::ColumnMatcher::fieldNames()[std::size_t(field)] &&
                !match.columns.empty())
                chosen = static_cast<int>(match.columns.front()) + 1;
        combo->setCurrentIndex(chosen);
    }
    m_filling = false;
}

bool ImportTradesDialog::canImport() const {
    return !m_file.isEmpty() && !m_plan.failure && !m_plan.trades.empty() &&
           (m_plan.badLineCount == 0 || m_options.skipBadLines);
}

void ImportTradesDialog::updateState() {
    const bool bad = m_plan.badLineCount > 0;
    m_errorsLabel->setText(bad ? tr("%1 lines cannot be read; nothing is imported unless they "
                                    "are skipped:")
                                     .arg(plainNumber(m_plan.badLineCount))
                               : tr("Every line can be read."));
    m_errorsTable->setVisible(bad);
    QString text;
    if (!m_plan.failure && !m_file.isEmpty()) {
        text = tr("%1 trades with %2 orders will be created.")
                   .arg(plainNumber(m_plan.trades.size()), plainNumber(m_plan.orderCount()));
        if (m_plan.duplicatesSkipped > 0)
            text += " " + tr("%1 executions the account already holds will be skipped.")
                              .arg(plainNumber(m_plan.duplicatesSkipped));
    }
    m_summaryLabel->setText(text);
    m_importButton->setEnabled(canImport());
}

import::ImportSummary ImportTradesDialog::runImport(){
    import::TradeImporter importer(m_env.context, m_env.preferences, m_env.clock, m_env.prompter,
                                   m_env.folderCode);
QProgressDialog progress(tr("Importing trades…"), QString(), 0,
                         static_cast<int>(m_plan.trades.size()), this);
progress.setWindowModality(Qt::WindowModal);
progress.setMinimumDuration(300);
progress.setCancelButton(nullptr);
auto summary = importer.apply(m_plan, true, [&](std::size_t done, std::size_t total) {
    if (done % 200 == 0 || done == total) {
        progress.setValue(static_cast<int>(done));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
});
if (!summary.strategiesAdded.empty())
    m_env.preferences.synchronize(); // failures reach the system log
return summary;
} // namespace brivel::gui

void ImportTradesDialog::accept() {
    if (!canImport())
        return;
    m_summary = runImport();
    const auto& s = *m_summary;
    QString message =
        tr("%1 trades with %2 orders were imported; %3 of them closed, with a net profit of %4.")
            .arg(plainNumber(s.tradesCreated), plainNumber(s.ordersCreated),
                 plainNumber(s.tradesClosed), QLocale().toString(s.netProfit, 'f', 2));
    if (s.duplicatesSkipped > 0)
        message += " " + tr("%1 executions already in the account were skipped.")
                             .arg(plainNumber(s.duplicatesSkipped));
    if (!s.strategiesAdded.empty()) {
        QStringList names;
        for (const auto& n : s.strategiesAdded)
            names << QString::fromStdString(n);
        message += " " + tr("Strategies added: %1.").arg(names.join(", "));
    }
    if (s.skippedLineCount > 0)
        message += " " + tr("%1 lines were skipped.").arg(plainNumber(s.skippedLineCount));
    QDialog::accept();
    m_env.prompter.alert(tr("Import Complete").toStdString(), message.toStdString());
}

void showImportTradesDialog(AccountEnvironment& env, QWidget* parent) {
    ImportTradesDialog dialog(env, parent ? parent : env.window);
    dialog.setWindowModality(Qt::WindowModal);
    if (!dialog.chooseFile())
        return;
    dialog.exec();
}

} // namespace brivel::gui

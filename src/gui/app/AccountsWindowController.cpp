#include "gui/app/AccountsWindowController.h"

#include "gui/app/AccountsTableModel.h"
#include "gui/app/AppController.h"
#include "gui/app/DocumentRegistry.h"
#include "gui/app/ItemViewEditing.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace brivel::gui {

namespace {

QPushButton* makeButton(const QString& text, const QString& name, const QString& accessible,
                        QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(accessible);
    button->setToolTip(accessible);
    return button;
}

} // namespace

AccountsWindowController::AccountsWindowController(AppController& app) : m_app(app) {
    setObjectName("accountsWindow");
    setWindowTitle(tr("Accounts"));
    m_prompter = app.dialogs().makePrompter(this);
    m_controller = std::make_unique<app::AccountArrayController>(
        app.preferences(), *m_prompter,
        [&app](const std::filesystem::path& path) { app.documents().closeDocument(path); });
    app::DocumentHooks hooks;
    hooks.openDocument = [&app](const std::filesystem::path& path) {
        app.openDocument(path, true);
    };
    hooks.closeDocument = [&app](const std::filesystem::path& path) {
        return app.documents().closeDocument(path);
    };
    m_commands = std::make_unique<app::AccountCommands>(*m_prompter, app.backup(), hooks);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildTable(central));
    layout->addLayout(buildButtons(central));
    setCentralWidget(central);
    buildContextMenu();

    m_controller->addListener(this);
    selectionChanged();
    resize(520, 360);
}

QTableView* AccountsWindowController::buildTable(QWidget* parent) {
    m_model = new AccountsTableModel(*m_controller, this);
    m_table = new QTableView(parent);
    m_table->setObjectName("accountsTable");
    m_table->setAccessibleName(tr("Accounts"));
    m_table->setModel(m_model);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::SelectedClicked);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(AccountsTableModel::NameColumn,
                                                      QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(AccountsTableModel::OpenColumn,
                                                      QHeaderView::ResizeToContents);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_table, &QWidget::customContextMenuRequested, this,
            &AccountsWindowController::showContextMenu);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_syncing)
            return;
        m_syncing = true;
        std::vector<std::size_t> rows;
        for (const QModelIndex& i : m_table->selectionModel()->selectedRows())
            rows.push_back(static_cast<std::size_t>(i.row()));
        m_controller->setSelectionIndexes(rows);
        m_syncing = false;
        updateButtons();
    });
    connect(m_table, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (index.column() == AccountsTableModel::OpenColumn)
            return;
        openAccount();
    });
    return m_table;
}

QHBoxLayout* AccountsWindowController::buildButtons(QWidget* parent) {
    auto* buttons = new QHBoxLayout;
    auto* add = makeButton(QStringLiteral("+"), "addAccountButton", tr("Add Account"), parent);
    m_remove = makeButton(QStringLiteral("−"), "removeAccountButton", tr("Delete Account"), parent);
    add->setFixedWidth(add->sizeHint().height() * 3 / 2);
    m_remove->setFixedWidth(add->width());
    m_open = makeButton(tr("Open"), "openAccountButton", tr("Open"), parent);
    m_backupButton = makeButton(tr("Back Up…"), "backupAccountButton", tr("Back Up…"), parent);
    m_restoreButton = makeButton(tr("Restore…"), "restoreAccountButton", tr("Restore…"), parent);
    connect(add, &QPushButton::clicked, this, &AccountsWindowController::addAccount);
    connect(m_remove, &QPushButton::clicked, this, &AccountsWindowController::removeAccount);
    connect(m_open, &QPushButton::clicked, this, &AccountsWindowController::openAccount);
    connect(m_backupButton, &QPushButton::clicked, this, &AccountsWindowController::backupAccount);
    connect(m_restoreButton, &QPushButton::clicked, this,
            &AccountsWindowController::restoreAccount);
    buttons->addWidget(add);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    buttons->addWidget(m_open);
    buttons->addWidget(m_backupButton);
    buttons->addWidget(m_restoreButton);
    return buttons;
}

void AccountsWindowController::buildContextMenu() {
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName("accountsContextMenu");
    m_contextMenu->addAction(tr("Open"), this, &AccountsWindowController::openAccount)
        ->setObjectName("contextOpen");
    m_contextMenu->addAction(tr("Back Up…"), this, &AccountsWindowController::backupAccount)
        ->setObjectName("contextBackup");
    m_contextMenu->addAction(tr("Restore…"), this, &AccountsWindowController::restoreAccount)
        ->setObjectName("contextRestore");
    m_contextMenu->addSeparator();
    m_contextMenu->addAction(tr("Delete"), this, &AccountsWindowController::removeAccount)
        ->setObjectName("contextDelete");
}

AccountsWindowController::~AccountsWindowController() {
    if (m_worker.joinable())
        m_worker.join();
    m_controller->removeListener(this);
    // The table and its model go before the list controller they show.
    delete m_table;
    delete m_model;
}

void AccountsWindowController::selectionChanged() {
    if (!m_syncing) {
        m_syncing = true;
        auto* selection = m_table->selectionModel();
        selection->clearSelection();
        for (std::size_t row : m_controller->selectionIndexes())
            selection->select(m_model->index(static_cast<int>(row), 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m_syncing = false;
    }
    updateButtons();
}

void AccountsWindowController::updateButtons() {
    const bool selected = m_controller->selectedAccount().has_value();
    const bool idle = m_busy == nullptr;
    m_remove->setEnabled(selected && idle);
    m_open->setEnabled(selected);
    m_backupButton->setEnabled(selected && idle);
    m_restoreButton->setEnabled(selected && idle);
    for (QAction* a : m_contextMenu->actions())
        if (!a->isSeparator())
            a->setEnabled(selected && (idle || a->objectName() == QLatin1String("contextOpen")));
}

void AccountsWindowController::addAccount() {
    if (!commitItemViewEditing(m_table))
        return;
    m_controller->add();
    const auto rows = m_controller->selectionIndexes();
    if (!rows.empty())
        editWithTextSelected(m_table, m_model->index(static_cast<int>(rows.front()),
                                                     AccountsTableModel::NameColumn));
}

void AccountsWindowController::removeAccount() {
    if (m_busy || !commitItemViewEditing(m_table))
        return;
    m_controller->remove();
}

void AccountsWindowController::openAccount() {
    if (auto record = m_controller->selectedAccount())
        m_commands->openAccount(record->directory);
}

void AccountsWindowController::showContextMenu(const QPoint& position) {
    const QModelIndex index = m_table->indexAt(position);
    m_controller->selectRowForContextMenu(
        index.isValid() ? std::optional<std::size_t>(static_cast<std::size_t>(index.row()))
                        : std::nullopt);
    m_contextMenu->popup(m_table->viewport()->mapToGlobal(position));
}

void AccountsWindowController::startBusy(const QString& text) {
    m_busy = new QProgressDialog(text, QString(), 0, 0, this);
    m_busy->setObjectName("archiveProgress");
    m_busy->setWindowTitle(windowTitle());
    m_busy->setWindowModality(Qt::WindowModal);
    m_busy->setMinimumDuration(0);
    m_busy->setAutoClose(false);
    m_busy->show();
    updateButtons();
}

void AccountsWindowController::endBusy() {
    if (m_busy) {
        m_busy->close();
        m_busy->deleteLater();
        m_busy = nullptr;
    }
    // The worker has called back and is returning: joining here is immediate.
    if (m_worker.joinable())
        m_worker.join();
    updateButtons();
}

void AccountsWindowController::backupAccount() {
    auto record = m_controller->selectedAccount();
    if (!record || m_busy)
        return;
    auto archive =
        m_app.dialogs().savePanel(this, {tr("Back Up Account"), "zip", "Save backup as:"});
    if (!archive)
        return;
    startBusy(tr("Backing up “%1”…").arg(QString::fromStdString(record->name)));
    m_worker = m_app.backup().startBackup(
        record->directory, *archive, [this](app::ArchiveOutcome outcome) {
            QMetaObject::invokeMethod(
                this, [this, outcome] { finishBackup(outcome); }, Qt::QueuedConnection);
        });
}

void AccountsWindowController::finishBackup(app::ArchiveOutcome outcome) {
    endBusy();
    m_commands->showBackupOutcome(outcome);
    emit archiveToolFinished();
}

void AccountsWindowController::restoreAccount() {
    auto record = m_controller->selectedAccount();
    if (!record || m_busy)
        return;
    auto archive = m_app.dialogs().openPanel(this, {tr("Restore Account"), "zip", QString()});
    if (!archive || !m_commands->confirmRestore())
        return;
    startBusy(tr("Restoring “%1”…").arg(QString::fromStdString(record->name)));
    m_worker = m_app.backup().startStagingRestore(
        record->directory, *archive, [this](app::StagedRestore staged) {
            auto shared = std::make_shared<app::StagedRestore>(std::move(staged));
            QMetaObject::invokeMethod(
                this, [this, shared] { finishRestore(shared); }, Qt::QueuedConnection);
        });
}

void AccountsWindowController::finishRestore(std::shared_ptr<app::StagedRestore> staged) {
    endBusy();
    m_commands->finishRestore(std::move(*staged));
    emit archiveToolFinished();
}

} // namespace brivel::gui

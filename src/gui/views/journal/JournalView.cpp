#include "gui/views/journal/JournalView.h"

#ifndef Q_MOC_RUN
#include "core/app/StrategyNames.h"
#include "core/model/Entities.h"
#include "core/platform/SystemLog.h"
#endif
#include "gui/views/journal/ControllerWatcher.h"
#include "gui/views/journal/IndexNameDelegate.h"
#include "gui/views/journal/JournalCells.h"
#include "gui/views/journal/NoteDetailPanel.h"
#include "gui/views/journal/NotesTableView.h"
#include "gui/views/journal/PriceBarrierTableView.h"
#include "gui/views/journal/TableSelectionLink.h"
#include "gui/views/journal/TypedTextDelegate.h"

#include <QAction>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace brivel::gui {

using journal::JournalTableView;
using store::Value;

namespace {

QToolButton* toolButton(QAction* action, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setObjectName(name);
    button->setAccessibleName(action->toolTip());
    button->setAutoRaise(true);
    return button;
}

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

} // namespace

JournalView::JournalView(AccountEnvironment& env, QWidget* parent)
    : AccountView(parent), m_env(env) {
    setObjectName(QStringLiteral("journalView"));
    setWindowTitle(tr("Journal"));
    setAccessibleName(tr("Journal"));
    auto& preferences = env.preferences;
    m_logAC = std::make_unique<controllers::LogArrayController>(
        env.context, env.clock, env.prompter,
        [&preferences] { return app::indexNames(preferences); });
    m_logAC->setAllowsMultipleSelection(false);
    m_notesAC =
        std::make_unique<controllers::NoteArrayController>(env.context, *m_logAC, env.clock);
    m_priceBarrierAC =
        std::make_unique<controllers::PriceBarrierArrayController>(env.context, *m_logAC);
    m_nasdaqAC = std::make_unique<controllers::PriceBarrierArrayController>(env.context, *m_logAC);
    m_dowAC = std::make_unique<controllers::PriceBarrierArrayController>(env.context, *m_logAC);
    // The default orderings: days by date, notes by time then ticker, levels by index.
    m_logAC->setSortDescriptors({{"date", true}});
    m_notesAC->setSortDescriptors({{"timestamp", true}, {"ticker", true}});
    m_priceBarrierAC->setSortDescriptors({{"ticker", true}});

    buildModels();
    buildActions();
    buildLayout();

    auto* logs = new journal::ControllerWatcher(*m_logAC, this);
    connect(logs, &journal::ControllerWatcher::contentChanged, this, &JournalView::updateCommands);
    connect(logs, &journal::ControllerWatcher::selectedChanged, this, [this] {
        updateIndexLevels();
        updateCommands();
    });
    auto* notes = new journal::ControllerWatcher(*m_notesAC, this);
    connect(notes, &journal::ControllerWatcher::selectedChanged, this,
            &JournalView::noteSelectionChanged);
    connect(notes, &journal::ControllerWatcher::contentChanged, this, &JournalView::updateCommands);
    auto* barriers = new journal::ControllerWatcher(*m_priceBarrierAC, this);
    connect(barriers, &journal::ControllerWatcher::contentChanged, this,
            &JournalView::updateIndexLevels);
    connect(barriers, &journal::ControllerWatcher::selectedChanged, this,
            &JournalView::updateCommands);

    // The newest day, selected and in sight.
    if (!m_logAC->arrangedObjects().empty())
        m_logAC->setSelectionIndexes({m_logAC->arrangedObjects().size() - 1});
    m_logTV->scrollToBottom();
    updateIndexLevels();
    updateCommands();
}

JournalView::~JournalView() {
    // Everything that follows the models and controllers (tables, selection links, watchers)
    // goes before them.
    const auto children = findChildren<QObject*>(QString(), Qt::FindDirectChildrenOnly);
    qDeleteAll(children);
}

void JournalView::buildModels() {
    auto dateParse = [](const QString& text, const Value& old) {
        return journal::readDate(text, old, journal::mediumDate);
    };
    auto timeParse = [](const QString& text, const Value& old) {
        return journal::readDate(text, old, journal::mediumDateTime);
    };
    auto levelParse = [](const QString& text, const Value&) { return journal::readLevel(text); };
    m_logModel = std::make_unique<ArrayControllerModel>(
        *m_logAC, std::vector<ArrayControllerModel::Column>{
                      {tr("Day"), "date", journal::mediumDate, true, dateParse}});
    m_noteModel = std::make_unique<ArrayControllerModel>(
        *m_notesAC, std::vector<ArrayControllerModel::Column>{
                        {tr("Flag"), "flag", {}, false, {}, true},
                        {tr("Time"), "timestamp", journal::mediumDateTime, true, timeParse},
                        {tr("Ticker"), "ticker", {}, true},
                        {tr("Comment"), "comment", {}, true}});
    m_priceBarrierModel = std::make_unique<ArrayControllerModel>(
        *m_priceBarrierAC, std::vector<ArrayControllerModel::Column>{
                               {tr("Index"), "ticker", {}, true},
                               {tr("Support"), "support", journal::level, true, levelParse},
                               {tr("Resistance"), "resistance", journal::level, true, levelParse}});
}

void JournalView::buildActions() {
    auto action = [this](const QString& text, const QString& tip, const QString& name,
                         void (JournalView::*slot)()) {
        auto* a = new QAction(text, this);
        a->setToolTip(tip);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    m_addLogAction =
        action(QStringLiteral("+"), tr("New day"), "addLogAction", &JournalView::addLog);
    m_removeLogAction =
        action(QStringLiteral("−"), tr("Delete day"), "removeLogAction", &JournalView::removeLogs);
    m_createNoteAction =
        action(QStringLiteral("+"), tr("New note"), "createNoteAction", &JournalView::createNote);
    m_createNoteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    m_createNoteAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_createNoteAction);
    m_removeNoteAction = action(QStringLiteral("−"), tr("Delete note"), "removeNoteAction",
                                &JournalView::removeNotes);
    m_noteDetailAction = new QAction(tr("Details…"), this);
    m_noteDetailAction->setToolTip(tr("Write the selected note at length"));
    m_noteDetailAction->setObjectName(QStringLiteral("noteDetailAction"));
    connect(m_noteDetailAction, &QAction::triggered, this, [this] {
        const QRect cell = m_noteTV->visualRect(m_noteTV->currentIndex());
        doubleClickNote(
            m_noteTV->viewport()->mapToGlobal(cell.isValid() ? cell.bottomLeft() : QPoint(0, 0)));
    });
    m_addBarrierAction = action(QStringLiteral("+"), tr("New index level"), "addBarrierAction",
                                &JournalView::addPriceBarrier);
    m_removeBarrierAction = action(QStringLiteral("−"), tr("Delete index level"),
                                   "removeBarrierAction", &JournalView::removePriceBarriers);
}

void JournalView::buildTables() {
    auto* delegate = new journal::TypedTextDelegate(this);

    m_logTV = new JournalTableView({0}, this);
    m_logTV->setObjectName(QStringLiteral("logTV"));
    m_logTV->setAccessibleName(tr("Days"));
    m_logTV->setSelectionMode(QAbstractItemView::SingleSelection);
    m_logTV->setModel(m_logModel.get());
    m_logTV->setItemDelegate(delegate);
    m_logTV->horizontalHeader()->setStretchLastSection(true);
    new journal::TableSelectionLink(*m_logTV, *m_logAC);

    m_noteTV = new NotesTableView(this);
    m_noteTV->setNotesAC(m_notesAC.get());
    m_noteTV->setModel(m_noteModel.get());
    m_noteTV->setItemDelegate(delegate);
    m_noteTV->horizontalHeader()->setStretchLastSection(true);
    m_noteTV->horizontalHeader()->setSectionResizeMode(NotesTableView::FlagColumn,
                                                       QHeaderView::ResizeToContents);
    m_noteTV->setColumnWidth(NotesTableView::TimeColumn,
                             m_noteTV->fontMetrics().horizontalAdvance("May 30, 2024, 10:45 AM") +
                                 24);
    new journal::TableSelectionLink(*m_noteTV, *m_notesAC);
    connect(m_noteTV, &QAbstractItemView::doubleClicked, this,
            [this] { doubleClickNote(QCursor::pos()); });

    m_priceBarrierTV = new PriceBarrierTableView(this);
    m_priceBarrierTV->setModel(m_priceBarrierModel.get());
    m_priceBarrierTV->setItemDelegate(delegate);
    auto& preferences = m_env.preferences;
    m_priceBarrierTV->setItemDelegateForColumn(
        PriceBarrierTableView::IndexColumn,
        new journal::IndexNameDelegate(
            [&preferences] {
                QStringList names;
                for (const auto& name : app::indexNames(preferences))
                    if (name)
                        names << QString::fromStdString(*name);
                return names;
            },
            this));
    m_priceBarrierTV->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    new journal::TableSelectionLink(*m_priceBarrierTV, *m_priceBarrierAC);

    m_noteDetailPanel = new NoteDetailPanel(m_env.context, this);
    connect(m_noteDetailPanel, &NoteDetailPanel::closed, this,
            [this] { m_notesAC->rearrangeObjects(); });

    m_indexLevels = new QLabel(this);
    m_indexLevels->setObjectName(QStringLiteral("indexLevelsLabel"));
    m_indexLevels->setAccessibleName(tr("NASDAQ and DOW levels"));
    m_indexLevels->setTextFormat(Qt::RichText);
    m_emptyHint = new QLabel(tr("No days yet. Add one with +"), this);
    m_emptyHint->setObjectName(QStringLiteral("journalEmptyHint"));
    m_emptyHint->setWordWrap(true);
    m_emptyHint->setEnabled(false);
}

void JournalView::buildLayout() {
    buildTables();
    auto bar = [this](std::initializer_list<QWidget*> widgets) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        for (QWidget* w : widgets) {
            if (w)
                row->addWidget(w);
            else
                row->addStretch(1);
        }
        return row;
    };
    auto pane = [] {
        auto* w = new QWidget;
        auto* layout = new QVBoxLayout(w);
        layout->setContentsMargins(0, 0, 0, 0);
        return std::pair{w, layout};
    };

    auto [days, daysLayout] = pane();
    daysLayout->addWidget(heading(tr("Days"), days));
    daysLayout->addWidget(m_logTV, 1);
    daysLayout->addWidget(m_emptyHint);
    daysLayout->addLayout(bar({toolButton(m_addLogAction, "addLogBtn", days),
                               toolButton(m_removeLogAction, "removeLogBtn", days), nullptr}));

    auto [notes, notesLayout] = pane();
    notesLayout->addWidget(heading(tr("Notes"), notes));
    notesLayout->addWidget(m_noteTV, 1);
    notesLayout->addLayout(bar({toolButton(m_createNoteAction, "createNoteBtn", notes),
                                toolButton(m_removeNoteAction, "removeNoteBtn", notes), nullptr,
                                toolButton(m_noteDetailAction, "noteDetailBtn", notes)}));

    auto [levels, levelsLayout] = pane();
    levelsLayout->addLayout(bar({heading(tr("Index Levels"), levels), nullptr, m_indexLevels}));
    levelsLayout->addWidget(m_priceBarrierTV, 1);
    levelsLayout->addLayout(
        bar({toolButton(m_addBarrierAction, "addBarrierBtn", levels),
             toolButton(m_removeBarrierAction, "removeBarrierBtn", levels), nullptr}));

    auto* right = new QSplitter(Qt::Vertical, this);
    right->setObjectName(QStringLiteral("journalNotesSplitter"));
    right->addWidget(notes);
    right->addWidget(levels);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 1);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("journalSplitter"));
    split->addWidget(days);
    split->addWidget(right);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 4);
    split->setSizes({200, 800});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);
    setTabOrder(m_logTV, m_noteTV);
    setTabOrder(m_noteTV, m_priceBarrierTV);
}

QTableView* JournalView::logTV() const {
    return m_logTV;
}

bool JournalView::commitEditing() {
    for (JournalTableView* table :
         std::initializer_list<JournalTableView*>{m_logTV, m_noteTV, m_priceBarrierTV})
        if (!table->commitEdit())
            return false;
    m_noteDetailPanel->commit();
    return true;
}

void JournalView::createNote() {
    if (!commitEditing()) {
        systemLog().log("Unable to end editing for adding a note");
        return;
    }
    if (m_logAC->selectedObjects().size() != 1)
        return; // a note belongs to a day
    // Adding the note is an undo step of its own, apart from what was typed before.
    auto& undo = m_env.context.undoManager();
    undo.endEventGroup();
    if (undo.groupingLevel() > 0) {
        undo.endUndoGrouping();
        undo.beginUndoGrouping();
    }
    const auto mark = m_env.undoMark();
    model::Note* note = m_notesAC->newObject();
    if (!note)
        return;
    m_notesAC->addObject(note);
    m_env.nameUndoStep(tr("Add Note"), mark);
    m_notesAC->rearrangeObjects();
    const auto& rows = m_notesAC->arrangedObjects();
    auto found = std::find(rows.begin(), rows.end(), static_cast<store::KeyValueCoding*>(note));
    if (found == rows.end())
        return;
    m_noteTV->setFocus();
    m_noteTV->editCell(static_cast<int>(found - rows.begin()), NotesTableView::TickerColumn);
}

void JournalView::doubleClickNote(const QPoint& mouse) {
    if (m_logAC->selectedObjects().empty())
        return;
    const QModelIndexList rows = m_noteTV->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    const int row = rows.first().row();
    if (row < 0 || static_cast<std::size_t>(row) >= m_notesAC->arrangedObjects().size())
        return;
    m_noteDetailPanel->setNote(dynamic_cast<model::Note*>(m_notesAC->arrangedObjects()[row]));
    m_noteDetailPanel->openAt(mouse);
}

void JournalView::closeNoteDetail() {
    // The panel commits what was typed as it closes; closing re-sorts the notes.
    m_noteDetailPanel->close();
}

void JournalView::noteSelectionChanged() {
    updateCommands();
    if (!m_noteDetailPanel->isVisible())
        return;
    auto selected = m_notesAC->selectedObjects();
    m_noteDetailPanel->setNote(selected.size() == 1 ? dynamic_cast<model::Note*>(selected[0])
                                                    : nullptr);
}

void JournalView::addLog() {
    if (!commitEditing())
        return;
    const auto mark = m_env.undoMark();
    if (m_logAC->add()) {
        m_env.nameUndoStep(tr("Add Day"), mark);
        m_logTV->scrollToBottom();
        m_logTV->setFocus();
    }
}

void JournalView::removeLogs() {
    if (!commitEditing())
        return;
    const auto mark = m_env.undoMark();
    m_logAC->remove();
    m_env.nameUndoStep(tr("Delete Day"), mark);
}

void JournalView::removeNotes() {
    if (!commitEditing())
        return;
    const auto mark = m_env.undoMark();
    m_notesAC->remove();
    m_env.nameUndoStep(tr("Delete Note"), mark);
}

void JournalView::addPriceBarrier() {
    if (!commitEditing() || m_logAC->selectedObjects().size() != 1)
        return;
    const auto mark = m_env.undoMark();
    auto* barrier = m_priceBarrierAC->add();
    if (!barrier)
        return;
    m_env.nameUndoStep(tr("Add Index Level"), mark);
    const auto& rows = m_priceBarrierAC->arrangedObjects();
    auto found = std::find(rows.begin(), rows.end(), barrier);
    if (found != rows.end()) {
        m_priceBarrierTV->setFocus();
        m_priceBarrierTV->editCell(static_cast<int>(found - rows.begin()),
                                   PriceBarrierTableView::IndexColumn);
    }
}

void JournalView::removePriceBarriers() {
    if (!commitEditing())
        return;
    const auto mark = m_env.undoMark();
    m_priceBarrierAC->remove();
    m_env.nameUndoStep(tr("Delete Index Level"), mark);
}

QString JournalView::indexLevelsText() const {
    return m_indexLevels->text()
        .remove(QStringLiteral("<b>"))
        .remove(QStringLiteral("</b>"))
        .replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
}

void JournalView::updateIndexLevels() {
    if (m_updatingLevels)
        return;
    m_updatingLevels = true;
    auto line = [](const char* name, controllers::SelectionProxy& selection) {
        if (selection.isEmpty())
            return QString();
        auto shown = [](const Value& v) {
            const QString text = journal::level(v);
            return text.isEmpty() ? QStringLiteral("–") : text;
        };
        return QStringLiteral("<b>%1</b> %2 / %3")
            .arg(QLatin1String(name), shown(selection.valueForKey("support")),
                 shown(selection.valueForKey("resistance")));
    };
    QStringList parts;
    for (const QString& part :
         {line("NASDAQ", m_nasdaqAC->nasdaqSelection()), line("DOW", m_dowAC->dowSelection())})
        if (!part.isEmpty())
            parts << part;
    m_indexLevels->setText(parts.join(QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;")));
    m_updatingLevels = false;
}

void JournalView::updateCommands() {
    const bool oneDay = m_logAC->selectedObjects().size() == 1;
    m_removeLogAction->setEnabled(!m_logAC->selectedObjects().empty());
    m_createNoteAction->setEnabled(oneDay);
    m_removeNoteAction->setEnabled(!m_notesAC->selectedObjects().empty());
    m_noteDetailAction->setEnabled(m_notesAC->selectedObjects().size() == 1);
    m_addBarrierAction->setEnabled(oneDay);
    m_removeBarrierAction->setEnabled(!m_priceBarrierAC->selectedObjects().empty());
    m_emptyHint->setVisible(m_logAC->arrangedObjects().empty());
}

} // namespace brivel::gui

#include "gui/stats/StatisticsView.h"

#include "core/app/StrategyNames.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/report/MultiDateFormatter.h"
#include "gui/stats/BreakdownModel.h"
#include "gui/stats/DailyCalendarWidget.h"
#include "gui/stats/EquityCurveWidget.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace brivel::gui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

bool isTradeOrOrder(const store::ManagedObject* object) {
    const std::string_view entity = object->entityName();
    return entity == model::Trade::entityName() || entity == model::Order::entityName();
}

} // namespace

StatisticsView::StatisticsView(AccountEnvironment& env, QWidget* parent)
    : AccountView(parent), m_env(env) {
    setObjectName("statisticsView");
    setAccessibleName(tr("Statistics"));

    m_curve = new EquityCurveWidget(m_formatter);
    m_calendar = new DailyCalendarWidget(m_formatter);
    auto* calendarScroll = new QScrollArea;
    calendarScroll->setObjectName("dailyCalendarScroll");
    calendarScroll->setWidget(m_calendar);
    calendarScroll->setWidgetResizable(true);
    calendarScroll->setFrameShape(QFrame::NoFrame);

    auto* top = new QWidget;
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(makeFiguresGrid(), 0);
    topLayout->addWidget(m_curve, 1);

    auto* bottom = new QSplitter(Qt::Horizontal);
    bottom->setObjectName("statisticsBottomSplitter");
    bottom->addWidget(calendarScroll);
    bottom->addWidget(makeBreakdown());
    bottom->setStretchFactor(0, 2);
    bottom->setStretchFactor(1, 3);

    auto* split = new QSplitter(Qt::Vertical);
    split->setObjectName("statisticsSplitter");
    split->addWidget(top);
    split->addWidget(bottom);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeFilterRow());
    layout->addWidget(split, 1);

    connect(m_calendar, &DailyCalendarWidget::dayActivated, this,
            &StatisticsView::showTradesRequested);
    m_env.context.addListener(this);
    recompute();
}

StatisticsView::~StatisticsView() {
    m_env.context.removeListener(this);
    // The widgets read the result; let them go before it does.
    m_breakdownModel->setResult(nullptr);
}

QWidget* StatisticsView::makeFilterRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const report::MultiDateFormatter dates;
    const QString example = qs(dates.stringFromDate(m_env.clock.now()));
    auto dateField = [&](const char* name, const QString& accessible, const QString& placeholder) {
        auto* field = new QLineEdit;
        field->setObjectName(name);
        field->setAccessibleName(accessible);
        field->setPlaceholderText(placeholder);
        field->setToolTip(tr("A date such as %1; empty for no limit. Both ends are included; the "
                             "end date counts as a whole day.")
                              .arg(example));
        field->setClearButtonEnabled(true);
        connect(field, &QLineEdit::editingFinished, this, [this, field] { dateEdited(field); });
        return field;
    };
    m_fromTF = dateField("fromDateTF", tr("From date"), tr("First trade"));
    m_toTF = dateField("toDateTF", tr("To date"), tr("Last trade"));
    m_strategyPU = new QComboBox;
    m_strategyPU->setObjectName("strategyPU");
    m_strategyPU->setAccessibleName(tr("Strategy"));
    fillStrategies();
    connect(m_strategyPU, &QComboBox::currentIndexChanged, this, [this] { scheduleRefresh(); });
    m_tickerTF = new QLineEdit;
    m_tickerTF->setObjectName("tickerTF");
    m_tickerTF->setAccessibleName(tr("Ticker"));
    m_tickerTF->setPlaceholderText(tr("All tickers"));
    m_tickerTF->setToolTip(tr("The ticker, case and accents ignored; * matches any run of "
                              "characters and ? one character (A* for every ticker with A)."));
    m_tickerTF->setClearButtonEnabled(true);
    connect(m_tickerTF, &QLineEdit::editingFinished, this, [this] { scheduleRefresh(); });

    auto label = [&](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text);
        l->setBuddy(buddy);
        layout->addWidget(l);
        layout->addWidget(buddy);
    };
    label(tr("&From:"), m_fromTF);
    label(tr("&To:"), m_toTF);
    label(tr("&Strategy:"), m_strategyPU);
    label(tr("T&icker:"), m_tickerTF);
    layout->addStretch(1);
    return row;
}

QWidget* StatisticsView::makeFiguresGrid() {
    auto* box = new QGroupBox(tr("Figures"));
    box->setObjectName("figuresBox");
    box->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);
    const auto definitions = stats::StatsFormatter::definitions();
    const int rows = static_cast<int>((definitions.size() + 2) / 2);
    auto add = [&](int i, const QString& key, const QString& label, const QString& tip) {
        auto* name = new QLabel(label);
        auto* value = new QLabel;
        value->setObjectName("figure_" + key);
        value->setAccessibleName(label);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        name->setToolTip(tip);
        value->setToolTip(tip);
        const int column = i < rows ? 0 : 2;
        grid->addWidget(name, i % rows, column);
        grid->addWidget(value, i % rows, column + 1);
        return value;
    };
    int i = 0;
    for (const auto& d : definitions) {
        m_figureLabels.insert(qs(d.key), add(i, qs(d.key), qs(d.label), qs(d.definition)));
        ++i;
    }
    m_openTradesLabel = add(i, "openTrades", tr("Open trades"),
                            tr("Trades not closed yet (not counted above), with the shares they "
                               "still hold per ticker; those begun after the range are left out."));
    m_openTradesLabel->setWordWrap(true);
    grid->setColumnMinimumWidth(1, 90);
    grid->setColumnMinimumWidth(3, 90);
    grid->setRowStretch(rows, 1);
    return box;
}

QWidget* StatisticsView::makeBreakdown() {
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    m_breakdownPU = new QComboBox;
    m_breakdownPU->setObjectName("breakdownPU");
    m_breakdownPU->setAccessibleName(tr("Breakdown"));
    m_breakdownPU->addItem(tr("By Strategy"), int(stats::BreakdownKind::Strategy));
    m_breakdownPU->addItem(tr("By Ticker"), int(stats::BreakdownKind::Ticker));
    m_breakdownPU->addItem(tr("By Month"), int(stats::BreakdownKind::Month));
    m_breakdownPU->addItem(tr("By Weekday"), int(stats::BreakdownKind::Weekday));
    connect(m_breakdownPU, &QComboBox::currentIndexChanged, this, [this] { scheduleRefresh(); });
    auto* label = new QLabel(tr("&Breakdown:"));
    label->setBuddy(m_breakdownPU);
    row->addWidget(label);
    row->addWidget(m_breakdownPU);
    row->addStretch(1);
    layout->addLayout(row);

    m_breakdownModel = new BreakdownModel(m_formatter, this);
    m_breakdownSort = new QSortFilterProxyModel(this);
    m_breakdownSort->setSourceModel(m_breakdownModel);
    m_breakdownSort->setSortRole(BreakdownModel::SortRole);
    m_breakdownTV = new QTableView;
    m_breakdownTV->setObjectName("breakdownTV");
    m_breakdownTV->setAccessibleName(tr("Breakdown table"));
    m_breakdownTV->setModel(m_breakdownSort);
    m_breakdownTV->setSortingEnabled(true);
    m_breakdownTV->sortByColumn(BreakdownModel::Key, Qt::AscendingOrder);
    m_breakdownTV->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_breakdownTV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_breakdownTV->verticalHeader()->hide();
    m_breakdownTV->setAlternatingRowColors(true);
    m_breakdownTV->setToolTip(tr("The figures by group. Double-click a row to show its trades."));
    connect(m_breakdownTV, &QTableView::doubleClicked, this, &StatisticsView::breakdownActivated);
    connect(m_breakdownTV, &QTableView::activated, this, &StatisticsView::breakdownActivated);
    layout->addWidget(m_breakdownTV, 1);
    return panel;
}

void StatisticsView::fillStrategies() {
    const QSignalBlocker block(m_strategyPU);
    const int current = m_strategyPU->currentIndex();
    m_strategyPU->clear();
    m_strategyPU->addItem(tr("All Strategies"), -1);
    const auto names = app::strategyNames(m_env.preferences);
    for (std::size_t i = 0; i < names.size(); ++i)
        m_strategyPU->addItem(names[i] ? qs(*names[i]) : tr("Strategy %1").arg(i),
                              static_cast<int>(i));
    m_strategyPU->setCurrentIndex(current >= 0 && current < m_strategyPU->count() ? current : 0);
}

void StatisticsView::showEvent(QShowEvent* event) {
    // The strategy list may have changed in the preferences meanwhile.
    fillStrategies();
    AccountView::showEvent(event);
}

stats::StatsFilter StatisticsView::filter() const {
    stats::StatsFilter f;
    const report::MultiDateFormatter dates;
    if (auto from = dates.dateFromString(m_fromTF->text().toStdString()))
        f.from = from;
    if (auto to = dates.dateFromString(m_toTF->text().toStdString())) {
        // The end date is the whole day.
        const stats::LocalCalendar calendar;
        const auto day = calendar.dayOf(*to);
        f.to = calendar
                   .startOfDay(stats::LocalCalendar::civilFromDays(
                       stats::LocalCalendar::daysFromCivil(day) + 1))
                   .addingSeconds(-0.001);
    }
    const int strategy = m_strategyPU->currentData().toInt();
    if (strategy >= 0)
        f.strategy = static_cast<std::int16_t>(strategy);
    f.tickerPattern = m_tickerTF->text().trimmed().toStdString();
    return f;
}

void StatisticsView::dateEdited(QLineEdit* field) {
    const QString text = field->text().trimmed();
    const report::MultiDateFormatter dates;
    if (!text.isEmpty()) {
        const auto date = dates.dateFromString(text.toStdString());
        if (!date) {
            // Keep the text for correcting; the filter leaves it out meanwhile.
            QApplication::beep();
            field->setStyleSheet("QLineEdit { color: palette(highlighted-text); "
                                 "background: rgb(222, 60, 60); }");
            return;
        }
        field->setText(qs(dates.stringFromDate(*date)));
    }
    field->setStyleSheet(QString());
    scheduleRefresh();
}

void StatisticsView::scheduleRefresh() {
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    // After the trades' own re-evaluation (0.01 s), so that one recomputation sees a burst of
    // edits and the closing they cause.
    std::weak_ptr<char> alive = m_alive;
    m_env.context.scheduler().schedule(0.05, [this, alive] {
        if (alive.expired() || !m_refreshPending)
            return;
        recompute();
    });
}

void StatisticsView::recompute() {
    m_refreshPending = false;
    const stats::TradeStatistics statistics(app::strategyNames(m_env.preferences));
    const auto kind = static_cast<stats::BreakdownKind>(m_breakdownPU->currentData().toInt());
    auto fresh = statistics.compute(m_env.context, filter(), kind);
    // The model and the widgets read the result in place: swap it between their resets.
    m_breakdownModel->setResult(nullptr);
    m_result = std::move(fresh);
    ++m_recomputations;
    showResult();
    emit refreshed();
}

void StatisticsView::showResult() {
    for (const auto& row : m_formatter.rows(m_result.figures))
        if (auto* label = m_figureLabels.value(qs(row.key)))
            label->setText(qs(row.value));
    QString open = qs(m_formatter.count(m_result.openTrades));
    QStringList held;
    for (const auto& p : m_result.openPositions)
        held << QStringLiteral("%1 %2")
                    .arg(p.ticker.empty() ? tr("no ticker") : qs(p.ticker))
                    .arg(p.shares);
    if (!held.isEmpty())
        open += " (" + held.join(", ") + ")";
    m_openTradesLabel->setText(open);
    m_breakdownModel->setResult(&m_result);
    m_breakdownTV->resizeColumnsToContents();
    m_curve->setResult(&m_result);
    m_calendar->setResult(&m_result);
}

void StatisticsView::breakdownActivated(const QModelIndex& index) {
    const auto* row = m_breakdownModel->rowAt(m_breakdownSort->mapToSource(index).row());
    if (!row)
        return;
    QList<qint64> ids;
    for (auto id : row->tradeIds)
        ids.append(id);
    emit showTradesRequested(ids);
}

void StatisticsView::objectsInserted(const std::vector<store::ManagedObject*>& objects) {
    for (const auto* o : objects)
        if (isTradeOrOrder(o))
            return scheduleRefresh();
}

void StatisticsView::objectsDeleted(const std::vector<store::ManagedObject*>& objects) {
    objectsInserted(objects);
}

void StatisticsView::objectChanged(store::ManagedObject* object, store::KeyId) {
    if (isTradeOrOrder(object))
        scheduleRefresh();
}

void StatisticsView::contextReset() {
    scheduleRefresh();
}

} // namespace brivel::gui

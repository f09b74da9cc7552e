#include "gui/views/trade/TradeView.h"

#include "core/app/StrategyNames.h"
#include "core/model/Trade.h"
#include "gui/ArrayControllerModel.h"
#include "gui/views/trade/ChartImageWell.h"
#include "gui/views/trade/ControllerSelectionSync.h"
#include "gui/views/trade/EnlargedImgPanel.h"
#include "gui/views/trade/RecordCellDelegate.h"
#include "gui/views/trade/StrategyDelegate.h"
#include "gui/views/trade/TradeClosingHintPanel.h"
#include "gui/views/trade/TradeListTableView.h"
#include "gui/views/trade/TradeRowDelegate.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <unordered_set>

namespace brivel::gui {

using store::Value;

namespace {

QString dateText(const Value& value) {
    if (value.type() != Value::Type::Date)
        return {};
    auto ms = static_cast<qint64>(value.toDate().secondsSince1970 * 1000.0);
    return QLocale().toString(QDateTime::fromMSecsSinceEpoch(ms).date(), QLocale::ShortFormat);
}

QString dateTimeText(const Value& value) {
    if (value.type() != Value::Type::Date)
        return {};
    auto ms = static_cast<qint64>(value.toDate().secondsSince1970 * 1000.0);
    return QLocale().toString(QDateTime::fromMSecsSinceEpoch(ms), QLocale::ShortFormat);
}

QString moneyText(const Value& value) {
    return value.isNumber() ? QLocale().toString(value.toDouble(), 'f', 2) : QString();
}

QString countText(const Value& value) {
    return value.isNumber() ? QLocale().toString(static_cast<qlonglong>(value.toInt64()))
                            : QString();
}

} // namespace

TradeView::TradeView(AccountEnvironment& env, QWidget* parent)
    : AccountView(parent), m_env(env),
      m_tradeAC(std::make_unique<controllers::TradeArrayController>(env.context, env.clock,
                                                                    env.prompter, env.folderCode)),
      m_orderAC(
          std::make_unique<controllers::OrderArrayController>(env.context, *m_tradeAC, env.clock)),
      m_keeper(env.context), m_hint(env.preferences, env.clock) {
    setObjectName(QStringLiteral("tradeView"));
    setAccessibleName(tr("Trades"));
    setWindowTitle(tr("Trade"));
    m_tradeAC->setAllowsMultipleSelection(false);
    m_orderAC->setSortDescriptors({{"date", true}});

    makeActions();
    buildTradeList();
    buildOrderTable();
    auto* bottom = new QSplitter(Qt::Horizontal);
    bottom->setObjectName(QStringLiteral("tradeDetailSplitter"));
    bottom->addWidget(withButtons(m_orderTV, m_addOrder, m_deleteOrder));
    bottom->addWidget(buildWells());
    bottom->setStretchFactor(0, 3);
    bottom->setStretchFactor(1, 2);
    auto* split = new QSplitter(Qt::Vertical);
    split->setObjectName(QStringLiteral("tradeSplitter"));
    split->addWidget(withButtons(m_tradeTV, m_addTrade, m_deleteTrade));
    split->addWidget(bottom);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildNarrowedBar());
    layout->addWidget(split);

    m_lgImagePanel = new EnlargedImgPanel(this);
    m_helpfulHintPanel = new TradeClosingHintPanel(m_hint, this);
    m_hintToken = env.context.notificationCenter().addObserver(
        model::ShowTradeClosingHint, nullptr,
        [this](const std::string&, const void*) { showTradeClosingHint(); });

    new ControllerSelectionSync(*m_tradeTV, *m_tradeAC, [this] { tradeSelectionChanged(); });
    new ControllerSelectionSync(*m_orderTV, *m_orderAC, [this] { updateActions(); });
    tradeSelectionChanged();
}

TradeView::~TradeView() {
    // Pictures under way are stored while the context and the keeper are still there.
    m_entryIV->finishPendingImages();
    m_exitIV->finishPendingImages();
    m_env.context.notificationCenter().removeObserver(m_hintToken);
    // The tables and models listen to the controllers, which go before the widget tree does.
    delete m_tradeTV;
    delete m_orderTV;
    delete m_tradeModel;
    delete m_orderModel;
}

void TradeView::windowWillClose() {
    m_entryIV->finishPendingImages();
    m_exitIV->finishPendingImages();
    m_keeper.windowWillClose();
}

void TradeView::makeActions() {
    auto make = [this](const QString& text, const QString& name, auto slot) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    m_addTrade = make(tr("Add Trade"), QStringLiteral("addTradeAction"), &TradeView::addTrade);
    m_addTrade->setIconText(QStringLiteral("+"));
    m_addTrade->setShortcut(QKeySequence::New);
    m_deleteTrade =
        make(tr("Delete Trade…"), QStringLiteral("deleteTradeAction"), &TradeView::deleteTrade);
    m_deleteTrade->setIconText(QStringLiteral("−"));
    m_addOrder = make(tr("Add Order"), QStringLiteral("addOrderAction"), &TradeView::addOrder);
    m_addOrder->setIconText(QStringLiteral("+"));
    m_addOrder->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    m_deleteOrder =
        make(tr("Delete Order"), QStringLiteral("deleteOrderAction"), &TradeView::deleteOrder);
    m_deleteOrder->setIconText(QStringLiteral("−"));
    m_resetSort = make(tr("Reset Trade Sort"), QStringLiteral("resetTradeSortAction"),
                       &TradeView::resetTradeSort);
    for (auto* a : {m_addTrade, m_addOrder})
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addActions({m_addTrade, m_addOrder});
}

QList<QAction*> TradeView::viewActions() const {
    return {m_addTrade, m_deleteTrade, m_addOrder, m_deleteOrder, m_resetSort};
}

void TradeView::buildTradeList() {
    using Column = ArrayControllerModel::Column;
    auto strategyNames = [this] { return app::strategyNames(m_env.preferences); };
    std::vector<Column> columns{
        {tr("Ticker"), "ticker", {}, true},
        {tr("Date"), "date", dateText, false},
        {tr("Strategy"), "tradeStrategy",
         [strategyNames](const Value& v) {
             return StrategyDelegate::displayName(strategyNames(), v.isNull() ? 0 : v.toInt64(),
                                                  !v.isNull());
         },
         true},
        {tr("Status"), "isClosed",
         [](const Value& v) { return v.toBool() ? tr("Closed") : tr("Open"); }, false},
        {tr("Net Profit"), "profit", moneyText, false},
        {tr("Orders"), model::Trade::OrderCountKey, countText, false},
        {tr("Shares"), model::Trade::SharesBoughtKey, countText, false},
    };
    std::vector<std::string> keys;
    for (const auto& c : columns)
        keys.push_back(c.key);
    m_tradeModel = new ArrayControllerModel(*m_tradeAC, std::move(columns), this);
    m_tradeTV = new TradeListTableView(*m_tradeAC);
    m_tradeTV->setTradeModel(m_tradeModel, keys);
    auto* painter = static_cast<TradeRowDelegate*>(m_tradeTV->itemDelegate());
    painter->setEditingDelegate(2, new StrategyDelegate(strategyNames, m_tradeTV));
    painter->setEditingDelegate(0, new RecordCellDelegate(keys, m_tradeTV));
    painter->setAlignment(2, Qt::AlignLeft | Qt::AlignVCenter);
    painter->setAlignment(3, Qt::AlignLeft | Qt::AlignVCenter);
    auto* header = m_tradeTV->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    // The strategy takes the room left; the numbers keep their width at the right end.
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    const int widths[] = {90, 100, 150, 70, 110, 70, 90};
    for (int c = 0; c < 7; ++c)
        m_tradeTV->setColumnWidth(c, widths[c]);
}

void TradeView::buildOrderTable() {
    using Column = ArrayControllerModel::Column;
    std::vector<Column> columns{
        {tr("Date"), "date", dateTimeText, true},
        {tr("Description"), "desc", {}, true},
        {tr("Side"), "isBuy", [](const Value& v) { return v.toBool() ? tr("Buy") : tr("Sell"); },
         false},
        {tr("Shares"), "numShares", countText, true},
        {tr("Price"), "price", moneyText, true},
        {tr("Commission"), "commission", moneyText, true},
        {tr("Reason"), "reason", {}, true},
    };
    std::vector<std::string> keys;
    for (const auto& c : columns)
        keys.push_back(c.key);
    m_orderModel = new ArrayControllerModel(*m_orderAC, std::move(columns), this);
    m_orderTV = new QTableView;
    m_orderTV->setObjectName(QStringLiteral("orderTV"));
    m_orderTV->setAccessibleName(tr("Orders of the selected trade"));
    m_orderTV->setModel(m_orderModel);
    m_orderTV->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_orderTV->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_orderTV->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
    m_orderTV->setWordWrap(false);
    m_orderTV->verticalHeader()->hide();
    m_orderTV->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_orderTV->verticalHeader()->setDefaultSectionSize(m_orderTV->fontMetrics().height() + 8);
    m_orderTV->horizontalHeader()->setStretchLastSection(true);
    auto* delegate = new RecordCellDelegate(keys, m_orderTV);
    delegate->setCompletions(1, [this] { return orderDescriptions(); });
    delegate->setToggle(2, {tr("Buy"), tr("Sell"), [this] { isBuyClick(); }});
    delegate->setAlignment(2, Qt::AlignCenter);
    m_orderTV->setItemDelegate(delegate);
    const int widths[] = {130, 130, 45, 60, 75, 85};
    for (int c = 0; c < 6; ++c)
        m_orderTV->setColumnWidth(c, widths[c]);
}

QWidget* TradeView::buildWells() {
    auto* box = new QWidget;
    box->setObjectName(QStringLiteral("chartImagesBox"));
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(4, 0, 4, 4);
    ImgPathTransformer transformer(m_env.databasePath);
    m_entryIV = new ChartImageWell(ChartImageWell::Entry, transformer, m_env.prompter);
    m_exitIV = new ChartImageWell(ChartImageWell::Exit, transformer, m_env.prompter);
    for (auto [well, caption] :
         {std::pair{m_entryIV, tr("Entry")}, std::pair{m_exitIV, tr("Exit")}}) {
        auto* column = new QVBoxLayout;
        auto* label = new QLabel(caption);
        label->setBuddy(well);
        column->addWidget(label);
        column->addWidget(well, 1);
        row->addLayout(column, 1);
        connect(well, &ChartImageWell::enlargeChartImage, this,
                [this](ChartImageWell* w) { enlargeChartImage(w->image()); });
    }
    return box;
}

QWidget* TradeView::withButtons(QWidget* table, QAction* add, QAction* remove) {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(table, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 0, 4, 2);
    for (QAction* a : {add, remove}) {
        auto* b = new QToolButton;
        b->setDefaultAction(a);
        b->setObjectName(
            a->objectName().replace(QStringLiteral("Action"), QStringLiteral("Button")));
        b->setAccessibleName(a->text());
        b->setToolTip(a->text());
        b->setAutoRaise(true);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    column->addLayout(buttons);
    return box;
}

model::Trade* TradeView::selectedTrade() const {
    auto selected = m_tradeAC->selectedObjects();
    return selected.size() == 1 ? dynamic_cast<model::Trade*>(selected.front()) : nullptr;
}

void TradeView::tradeSelectionChanged() {
    model::Trade* trade = selectedTrade();
    model::ChartImage* image = trade ? trade->chartImg() : nullptr;
    m_entryIV->setChartImage(image);
    m_exitIV->setChartImage(image);
    updateActions();
}

void TradeView::updateActions() {
    bool hasTrade = selectedTrade() != nullptr;
    m_deleteTrade->setEnabled(!m_tradeAC->selectedObjects().empty());
    m_addOrder->setEnabled(hasTrade);
    m_deleteOrder->setEnabled(hasTrade && !m_orderAC->selectedObjects().empty());
}

QStringList TradeView::orderDescriptions() const {
    QStringList out;
    if (model::Trade* trade = selectedTrade())
        for (const auto& balance : trade->orderDescList())
            if (auto d = balance.desc(); d && !d->empty())
                out << QString::fromStdString(*d);
    out.sort(Qt::CaseInsensitive);
    return out;
}

bool TradeView::commitTable(QTableView* table) {
    if (!table)
        return true;
    // The open editor is a child of the viewport; its index need not be the current one.
    const auto editors = table->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* editor : editors) {
        if (editor->isHidden())
            continue;
        if (auto* line = qobject_cast<QLineEdit*>(editor);
            line && !line->hasAcceptableInput() && !line->text().trimmed().isEmpty())
            return false;
        QMetaObject::invokeMethod(table, "commitData", Qt::DirectConnection,
                                  Q_ARG(QWidget*, editor));
        QMetaObject::invokeMethod(
            table, "closeEditor", Qt::DirectConnection, Q_ARG(QWidget*, editor),
            Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
    }
    return true;
}

bool TradeView::commitEditing() {
    return commitTable(m_tradeTV) && commitTable(m_orderTV);
}

void TradeView::isBuyClick() {
    if (!commitEditing())
        QApplication::beep();
}

void TradeView::addTrade() {
    if (!commitEditing())
        return;
    const auto mark = m_env.undoMark();
    if (!m_tradeAC->add())
        return;
    m_env.nameUndoStep(tr("Add Trade"), mark);
    QModelIndex ticker = m_tradeTV->currentIndex().siblingAtColumn(0);
    m_tradeTV->setFocus();
    m_tradeTV->setCurrentIndex(ticker);
    m_tradeTV->edit(ticker);
}

void TradeView::deleteTrade() {
    if (!commitEditing())
        return;
    const auto mark = m_env.undoMark();
    m_tradeAC->remove(); // asks first; the pictures go when the deletion is saved
    m_env.nameUndoStep(tr("Delete Trade"), mark);
}

void TradeView::addOrder() {
    if (!commitEditing() || !selectedTrade())
        return;
    const auto mark = m_env.undoMark();
    if (!m_orderAC->add())
        return;
    m_env.nameUndoStep(tr("Add Order"), mark);
    QModelIndex description = m_orderTV->currentIndex().siblingAtColumn(1);
    m_orderTV->setFocus();
    m_orderTV->setCurrentIndex(description);
    m_orderTV->edit(description);
}

void TradeView::deleteOrder() {
    if (!commitEditing())
        return;
    const auto mark = m_env.undoMark();
    m_orderAC->remove();
    m_env.nameUndoStep(tr("Delete Order"), mark);
}

void TradeView::selectTrades(const QList<qint64>& tradeIds) {
    if (!commitEditing())
        return;
    m_tradeAC->showOnlyTrades(
        std::unordered_set<store::ObjectID>(tradeIds.begin(), tradeIds.end()));
    const auto shown = m_tradeAC->arrangedObjects().size();
    m_narrowedLabel->setText(
        shown == 1
            ? tr("Showing 1 trade from Statistics.")
            : tr("Showing %1 trades from Statistics.").arg(QLocale().toString(qulonglong(shown))));
    m_narrowedBar->show();
    m_tradeAC->setSelectionIndexes({0});
    m_tradeTV->setFocus();
}

void TradeView::showAllTrades() {
    auto selected = m_tradeAC->selectedObjects();
    m_tradeAC->showOnlyTrades(std::nullopt);
    m_tradeAC->setSelectedObjects(selected);
    m_narrowedBar->hide();
}

QWidget* TradeView::buildNarrowedBar() {
    m_narrowedBar = new QWidget;
    m_narrowedBar->setObjectName(QStringLiteral("narrowedBar"));
    m_narrowedLabel = new QLabel;
    m_narrowedLabel->setObjectName(QStringLiteral("narrowedLabel"));
    auto* showAll = new QToolButton;
    showAll->setObjectName(QStringLiteral("showAllTradesButton"));
    showAll->setText(tr("Show All Trades"));
    showAll->setAccessibleName(tr("Show all trades"));
    connect(showAll, &QToolButton::clicked, this, &TradeView::showAllTrades);
    // Tinted like an information bar: the list is not the whole account while it shows.
    m_narrowedBar->setAutoFillBackground(true);
    QPalette tint = m_narrowedBar->palette();
    tint.setColor(QPalette::Window, tint.color(QPalette::ToolTipBase));
    tint.setColor(QPalette::WindowText, tint.color(QPalette::ToolTipText));
    m_narrowedBar->setPalette(tint);
    auto* row = new QHBoxLayout(m_narrowedBar);
    row->setContentsMargins(6, 3, 6, 3);
    row->addWidget(m_narrowedLabel, 1);
    row->addWidget(showAll);
    m_narrowedBar->hide();
    return m_narrowedBar;
}

void TradeView::resetTradeSort() {
    m_tradeAC->setSortDescriptors(controllers::TradeArrayController::defaultSortDescriptors());
    m_tradeTV->clearSortIndicator();
}

void TradeView::enlargeChartImage(const QImage& image) {
    if (image.isNull())
        return;
    QString title = tr("Enlarged Image");
    if (image.cacheKey() == m_entryIV->image().cacheKey())
        title = tr("Entry Image");
    else if (image.cacheKey() == m_exitIV->image().cacheKey())
        title = tr("Exit Image");
    m_lgImagePanel->showImage(image, title, QCursor::pos());
}

bool TradeView::windowIsActive() const {
    if (m_activeQuery)
        return m_activeQuery();
    const QWidget* w = m_env.window ? m_env.window : window();
    return w && w->isVisible() && w->isActiveWindow();
}

void TradeView::showTradeClosingHint() {
    if (!m_hint.showIfDue(windowIsActive()))
        return;
    m_helpfulHintPanel->setTradeClosingHintMsg();
    m_helpfulHintPanel->show();
    m_helpfulHintPanel->raise();
    m_helpfulHintPanel->activateWindow();
}

} // namespace brivel::gui

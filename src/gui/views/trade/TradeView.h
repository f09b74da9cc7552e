#pragma once

#ifndef Q_MOC_RUN
#include "core/app/TradeClosingHint.h"
#include "core/controllers/OrderArrayController.h"
#include "core/controllers/TradeArrayController.h"
#include "core/model/ChartImageFileKeeper.h"
#include "core/platform/NotificationCenter.h"
#include "gui/document/AccountEnvironment.h"
#endif
#include "gui/document/AccountView.h"

#include <QImage>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QTableView;

namespace brivel::gui {

class ArrayControllerModel;
class ChartImageWell;
class ControllerSelectionSync;
class EnlargedImgPanel;
class TradeClosingHintPanel;
class TradeListTableView;

// The trades of an account: the trade list on top; below it the orders of the selected trade and
// its entry and exit chart images. It makes its own trade and order controllers, keeps the
// pictures of deleted trades aside while it lives (so Undo brings them back), and shows the
// closing hint when a trade of the active window asks for it.
class TradeView : public AccountView {
    Q_OBJECT
public:
    explicit TradeView(AccountEnvironment& env, QWidget* parent = nullptr);
    ~TradeView() override;

    bool commitEditing() override;

    controllers::TradeArrayController& tradeAC() { return *m_tradeAC; }
    controllers::OrderArrayController& orderAC() { return *m_orderAC; }
    // The account window closes: pictures still being pasted are stored, then the pictures of
    // deletions that stand go for good. The destructor does the same.
    void windowWillClose() override;

    bool listsTrades() const override { return true; }
    // Narrows the trade list to these trades, with a bar offering to show them all again.
    void selectTrades(const QList<qint64>& tradeIds) override;
    void showAllTrades();

    // Commands.
    void addTrade();
    void deleteTrade();
    void addOrder();
    void deleteOrder();
    // The trade list's ordering back to open trades first, newest first.
    void resetTradeSort();
    // Before the buy/sell control of an order takes a click: commit the value being typed.
    void isBuyClick();
    // Shows the image enlarged, titled by the well that shows it (identity of the image).
    void enlargeChartImage(const QImage& image);
    // The notification "ShowTradeClosingHint" arrived (from any trade of any account).
    void showTradeClosingHint();
    // The commands for the window's tool bar and menus.
    QList<QAction*> viewActions() const;

    // Whether this view's window is the one the user works in; tests may answer for it.
    bool windowIsActive() const;
    void setActiveWindowQuery(std::function<bool()> query) { m_activeQuery = std::move(query); }

    TradeListTableView* tradeList() const { return m_tradeTV; }
    QTableView* orderTable() const { return m_orderTV; }
    ArrayControllerModel* tradeModel() const { return m_tradeModel; }
    ArrayControllerModel* orderModel() const { return m_orderModel; }
    ChartImageWell* entryIV() const { return m_entryIV; }
    ChartImageWell* exitIV() const { return m_exitIV; }
    EnlargedImgPanel* lgImagePanel() const { return m_lgImagePanel; }
    TradeClosingHintPanel* helpfulHintPanel() const { return m_helpfulHintPanel; }
    // The distinct order descriptions of the selected trade, offered while typing one.
    QStringList orderDescriptions() const;

private:
    void buildTradeList();
    QWidget* buildNarrowedBar();
    void buildOrderTable();
    QWidget* buildWells();
    QWidget* withButtons(QWidget* table, QAction* add, QAction* remove);
    void makeActions();
    void tradeSelectionChanged();
    void updateActions();
    bool commitTable(QTableView* table);
    model::Trade* selectedTrade() const;

    AccountEnvironment& m_env;
    std::unique_ptr<controllers::TradeArrayController> m_tradeAC;
    std::unique_ptr<controllers::OrderArrayController> m_orderAC;
    model::ChartImageFileKeeper m_keeper;
    app::TradeClosingHint m_hint;
    NotificationCenter::Token m_hintToken = 0;
    std::function<bool()> m_activeQuery;

    TradeListTableView* m_tradeTV = nullptr;
    QTableView* m_orderTV = nullptr;
    ArrayControllerModel* m_tradeModel = nullptr;
    ArrayControllerModel* m_orderModel = nullptr;
    ChartImageWell* m_entryIV = nullptr;
    ChartImageWell* m_exitIV = nullptr;
    EnlargedImgPanel* m_lgImagePanel = nullptr;
    TradeClosingHintPanel* m_helpfulHintPanel = nullptr;
    QWidget* m_narrowedBar = nullptr;
    QLabel* m_narrowedLabel = nullptr;
    QAction* m_addTrade = nullptr;
    QAction* m_deleteTrade = nullptr;
    QAction* m_addOrder = nullptr;
    QAction* m_deleteOrder = nullptr;
    QAction* m_resetSort = nullptr;
};

} // namespace brivel::gui

#pragma once

#include <QTableView>
#include <string>
#include <vector>

namespace brivel::controllers {
class ArrayController;
}

namespace brivel::gui {

class ArrayControllerModel;

// The trade list: closed trades in their gain or loss gradient (TradeRowDelegate), open trades
// plain, one selected row. Clicking a column header sorts the trades controller by that column;
// the controller keeps the order, so the model never copies or sorts rows itself.
class TradeListTableView : public QTableView {
    Q_OBJECT
public:
    TradeListTableView(controllers::ArrayController& tradeAC, QWidget* parent = nullptr);

    // The model must be an ArrayControllerModel over tradeAC; sortKeys are the keys the columns
    // sort by (empty: the column does not sort).
    void setTradeModel(ArrayControllerModel* model, std::vector<std::string> sortKeys);

    // Shows the controller's own ordering again without a header indicator.
    void clearSortIndicator();
    // The text shown over an empty list.
    static QString emptyText();

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void sortByColumn(int column, Qt::SortOrder order);

    controllers::ArrayController& m_tradeAC;
    std::vector<std::string> m_sortKeys;
};

} // namespace brivel::gui

#pragma once

#include <QWidget>

class QCheckBox;
class QTextBrowser;

namespace brivel::app {
class TradeClosingHint;
}

namespace brivel::gui {

// The small panel that explains why a trade whose shares balance did not close: the descriptions
// of matching orders must be the same. Its "Do not show this again" sets closeTradeHintIgnore.
class TradeClosingHintPanel : public QWidget {
    Q_OBJECT
public:
    // The support page about adding orders that the hint links to.
    static QString supportTopicUrl();

    TradeClosingHintPanel(app::TradeClosingHint& hint, QWidget* parent = nullptr);

    // Fills the text: the bold question, the explanation, the link.
    void setTradeClosingHintMsg();
    QTextBrowser* helpfulHintMsg() const { return m_message; }
    QCheckBox* ignoreCheckBox() const { return m_ignore; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    app::TradeClosingHint& m_hint;
    QTextBrowser* m_message;
    QCheckBox* m_ignore;
};

} // namespace brivel::gui

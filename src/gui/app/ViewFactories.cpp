#include "gui/app/ViewFactories.h"

#include "gui/document/AccountEnvironment.h"
#include "gui/report/ReportView.h"
#include "gui/stats/StatisticsView.h"
#include "gui/views/journal/JournalView.h"
#include "gui/views/trade/TradeView.h"

namespace brivel::gui {

std::vector<AccountViewFactory> accountViewFactories() {
    return {
        {QObject::tr("Journal"), "journalView",
         [](AccountEnvironment& env, QWidget* parent) -> AccountView* {
             return new JournalView(env, parent);
         }},
        {QObject::tr("Trades"), "tradeView",
         [](AccountEnvironment& env, QWidget* parent) -> AccountView* {
             return new TradeView(env, parent);
         }},
        {QObject::tr("Reports"), "reportView",
         [](AccountEnvironment& env, QWidget* parent) -> AccountView* {
             return new ReportView(env, parent);
         }},
        {QObject::tr("Statistics"), "statisticsView",
         [](AccountEnvironment& env, QWidget* parent) -> AccountView* {
             return new StatisticsView(env, parent);
         }},
    };
}

} // namespace brivel::gui

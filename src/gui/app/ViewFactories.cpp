#include "gui/app/ViewFactories.h"

#include "gui/document/AccountEnvironment.h"
#include "gui/document/AccountView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace brivel::gui {

namespace {

// Stands in for a view until the real one is wired in here.
AccountView* placeholder(const QString& text, QWidget* parent) {
    auto* view = new AccountView(parent);
    auto* layout = new QVBoxLayout(view);
    auto* label = new QLabel(text, view);
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    layout->addWidget(label);
    return view;
}

} // namespace

std::vector<AccountViewFactory> accountViewFactories() {
    return {
        {QObject::tr("Journal"), "journalView",
         [](AccountEnvironment&, QWidget* parent) {
             return placeholder(QObject::tr("The journal comes here."), parent);
         }},
        {QObject::tr("Trades"), "tradeView",
         [](AccountEnvironment&, QWidget* parent) {
             return placeholder(QObject::tr("The trades come here."), parent);
         }},
        {QObject::tr("Reports"), "reportView",
         [](AccountEnvironment&, QWidget* parent) {
             return placeholder(QObject::tr("The reports come here."), parent);
         }},
        {QObject::tr("Statistics"), "statisticsView",
         [](AccountEnvironment&, QWidget* parent) {
             return placeholder(QObject::tr("The statistics come here."), parent);
         }},
    };
}

} // namespace brivel::gui

// Every control a user can operate in every window has a name a screen reader can say.

#include "AppTestSupport.h"

#include "gui/app/AboutPanelController.h"
#include "gui/app/AccountsWindowController.h"
#include "gui/app/DocumentRegistry.h"
#include "gui/app/PreferencesController.h"
#include "gui/document/AccountWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTextEdit>
#include <QtTest>

using namespace brivel;
using namespace brivel::test;

namespace {

bool isInteractive(QWidget* w) {
    if (qobject_cast<QScrollBar*>(w) || qobject_cast<QHeaderView*>(w))
        return false; // parts of their scroll area or table, named by it
    if (auto* text = qobject_cast<QTextEdit*>(w))
        return !text->isReadOnly() || text->textInteractionFlags() & Qt::LinksAccessibleByMouse;
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
           qobject_cast<QAbstractItemView*>(w) || qobject_cast<QComboBox*>(w) ||
           qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QAbstractSlider*>(w) ||
           qobject_cast<QTabBar*>(w);
}

// Qt's own helpers (a table's corner button, a spin box's line edit, a search field's clear
// button) are named by their owner.
bool isQtInternal(QWidget* w) {
    for (QObject* o = w; o; o = o->parent())
        if (o->objectName().startsWith(QLatin1String("qt_")))
            return true;
    const QByteArray cls(w->metaObject()->className());
    return cls == "QTableCornerButton" || cls == "QLineEditIconButton";
}

QString nameOf(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name).trimmed() : QString();
}

QStringList unnamedIn(QWidget* window) {
    QStringList out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!isInteractive(w) || isQtInternal(w) || !nameOf(w).isEmpty())
            continue;
        out << QStringLiteral("%1: %2 \"%3\"")
                   .arg(window->objectName(), QString::fromLatin1(w->metaObject()->className()),
                        w->objectName());
    }
    return out;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void everyInteractiveWidgetIsNamed() {
        AppFixture fx;
        fx.setAccounts({{"Main", "B0W1", true}});
        auto& app = fx.launch();
        app.showAccountsPanel();
        app.showPreferences();
        app.showAboutPanel();
        QList<QWidget*> windows{app.accountsWindowController(), app.preferencesController(),
                                app.aboutPanelController()};
        for (auto* d : app.documents().documents())
            windows << &d->window();
        QCOMPARE(windows.size(), 4);

        QStringList unnamed;
        for (QWidget* w : windows) {
            QVERIFY(w);
            unnamed << unnamedIn(w);
        }
        if (!unnamed.isEmpty())
            QFAIL(qPrintable("Unnamed controls:\n" + unnamed.join('\n')));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"

// moc reads this file for its test class; it needs nothing from core.
#ifndef Q_MOC_RUN
#include "gui/app/PreferencesController.h"
#include "core/app/FactoryPreferences.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"
#include "core/platform/SystemLog.h"
#include "gui/app/ItemViewEditing.h"
#include "support/TempDir.h"
#endif

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

using namespace brivel;
using namespace brivel::app::prefkeys;

class PreferencesControllerTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        preferences = std::make_unique<app::Preferences>(*dir / "preferences.json");
        preferences->registerDefaults(app::FactoryPreferences::dictionary());
        window = std::make_unique<gui::PreferencesController>(*preferences);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        setSystemLog(&log);
    }
    void cleanup() {
        setSystemLog(nullptr);
        window.reset();
        preferences.reset();
        dir.reset();
    }

    void addingToAnEmptyListSelectsThePlaceholderForTyping() {
        preferences->setObject(nlohmann::json::array(), ArrayOfStrategies);
        window->createStrategy();
        QCOMPARE(entries(ArrayOfStrategies, Strategy), QStringList{"New Strategy"});
        auto* table = window->strategiesTV();
        QVERIFY(gui::itemViewEditor(table));
        QCOMPARE(table->currentIndex().row(), 0);
        QLineEdit* line = editor(table);
        QVERIFY(line);
        QCOMPARE(line->selectedText(), QStringLiteral("New Strategy"));
        // Typing replaces the placeholder, and the list is written back when the edit ends.
        QTest::keyClicks(line, "Scalp");
        QTest::keyClick(line, Qt::Key_Return); // the delegate commits from the event loop
        QTRY_COMPARE(entries(ArrayOfStrategies, Strategy), QStringList{"Scalp"});
    }

    void addingCommitsTheEditInProgressFirst() {
        window->tabs()->setCurrentIndex(1);
        auto* table = window->indicesTV();
        const QStringList before = entries(ArrayOfIndices, Index);
        table->setCurrentIndex(table->model()->index(0, 0));
        table->edit(table->currentIndex());
        QLineEdit* line = editor(table);
        QVERIFY(line);
        line->setText("SPX");
        window->createIndex();
        QStringList expected = before;
        expected[0] = "SPX";
        expected << "NEW";
        QCOMPARE(entries(ArrayOfIndices, Index), expected);
        QCOMPARE(table->currentIndex().row(), expected.size() - 1);
        QVERIFY(log.lines().empty());
    }

    void removingTheFirstStrategyShiftsTheRest() {
        preferences->setObject(
            nlohmann::json::array({{{"strategy", "A"}}, {{"strategy", "B"}}, {{"strategy", "C"}}}),
            ArrayOfStrategies);
        auto* table = window->strategiesTV();
        table->selectRow(0);
        window->findChild<QPushButton*>("removeStrategyButton")->click();
        QCOMPARE(entries(ArrayOfStrategies, Strategy), (QStringList{"B", "C"})); // by position
    }

private:
    static QLineEdit* editor(QTableView* table) {
        return table->viewport()->findChild<QLineEdit*>();
    }
    QStringList entries(const char* key, const char* entryKey) {
        QStringList out;
        for (const auto& e : preferences->arrayForKey(key))
            out << QString::fromStdString(e.value(entryKey, ""));
        return out;
    }
    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<app::Preferences> preferences;
    std::unique_ptr<gui::PreferencesController> window;
    MemoryLog log;
};

QTEST_MAIN(PreferencesControllerTest)
#include "PreferencesControllerTest.moc"

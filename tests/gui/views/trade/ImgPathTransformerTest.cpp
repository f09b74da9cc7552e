// Stored chart image names to file paths: absent, a name, and a value of the wrong kind.

#include "gui/views/trade/ImgPathTransformer.h"
#include "core/platform/SystemLog.h"

#include <QtTest>

using namespace brivel;
using gui::ImgPathTransformer;
using store::Value;

class ImgPathTransformerTest : public QObject {
    Q_OBJECT

private slots:
    void transformsNamesIntoTheAccountsOwnFolder() {
        MemoryLog log;
        setSystemLog(&log);
        ImgPathTransformer t("/data/Brivel Trade Journal/B0W1/database.brdb");
        QVERIFY(!t.transformedValue(Value()).has_value());
        QCOMPARE(t.transformedValue(Value::string("B0W1/0F8E1C2A-1111-4222-8333-444455556666.png")),
                 QStringLiteral("/data/Brivel Trade Journal/B0W1/"
                                "0F8E1C2A-1111-4222-8333-444455556666.png"));
        // Names restored from another account, or that lead nowhere or out of the folder, are
        // ChartImageFilesTest's.
        QVERIFY(log.lines().empty());

        QVERIFY(!t.transformedValue(Value::integer(42)).has_value());
        QVERIFY(log.contains("Type mismatch in ImgPathTransformer. Expecting NSString"));
        setSystemLog(nullptr);
    }
};

QTEST_MAIN(ImgPathTransformerTest)
#include "ImgPathTransformerTest.moc"

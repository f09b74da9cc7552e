// Stored chart image names to file paths: absent, a name, a name restored from another
// account, and a value of the wrong kind.

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
        QVERIFY(!ImgPathTransformer::allowsReverseTransformation());
        QVERIFY(!t.transformedValue(Value()).has_value());
        QCOMPARE(t.transformedValue(Value::string("B0W1/0F8E1C2A-1111-4222-8333-444455556666.png")),
                 QStringLiteral("/data/Brivel Trade Journal/B0W1/"
                                "0F8E1C2A-1111-4222-8333-444455556666.png"));
        // A name from another account's backup still means this account's folder.
        QCOMPARE(t.transformedValue(Value::string("C9X2/A.png")),
                 QStringLiteral("/data/Brivel Trade Journal/B0W1/A.png"));
        // Names that lead nowhere or out of the folder are ChartImageFilesTest's.
        QVERIFY(log.lines().empty());

        QVERIFY(!t.transformedValue(Value::integer(42)).has_value());
        QVERIFY(log.contains("Type mismatch in ImgPathTransformer. Expecting NSString"));
        setSystemLog(nullptr);
    }
};

QTEST_MAIN(ImgPathTransformerTest)
#include "ImgPathTransformerTest.moc"

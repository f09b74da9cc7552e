#include "gui/app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <atomic>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace brivel;

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void aSecondStartHandsItsRequestOver() {
        gui::SingleInstance first(name());
        QVERIFY(first.listen());
        QSignalSpy received(&first, &gui::SingleInstance::requestReceived);
        std::atomic<int> handed{-1};
        // The second start blocks while it waits for the answer: it runs on a thread of its own.
        std::thread second([&] {
            gui::SingleInstance instance(name());
            handed = instance.handOver({"/tmp/x/database.brdb", "--flag"}) ? 1 : 0;
        });
        QTRY_COMPARE_WITH_TIMEOUT(handed.load(), 1, 5000);
        second.join();
        QCOMPARE(received.count(), 1);
        QCOMPARE(received[0][0].toStringList(), (QStringList{"/tmp/x/database.brdb", "--flag"}));
    }

    void withNobodyRunningTheRequestStays() {
        gui::SingleInstance alone(name());
        QVERIFY(!alone.handOver({}, 200));
    }

    void aStaleSocketIsReplaced() {
        // A server socket whose owner is gone (as after a crash) must not keep the next start out.
        const QByteArray path = QFile::encodeName(QDir::tempPath() + "/" + name());
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()) + 1);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd); // the file stays, nobody listens
        gui::SingleInstance next(name());
        QVERIFY(next.listen());
    }

private:
    static QString name() {
        return QStringLiteral("brivel-test-%1-%2")
            .arg(QCoreApplication::applicationPid())
            .arg(QString::fromLatin1(QTest::currentTestFunction()));
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"

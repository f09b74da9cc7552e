// The chart image wells: what they store from a paste or a drop, where, at what size, and what
// Delete and a double click do.

#include "gui/views/trade/ChartImageWell.h"
#include "core/controllers/TradeArrayController.h"
#include "core/model/ChartImageFiles.h"
#include "core/platform/SystemLog.h"
#include "gui/support/ViewTestAccount.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

using namespace brivel;
using namespace brivel::test;
using gui::ChartImageWell;
using gui::test::makeChart;
using gui::test::ViewTestAccount;
namespace fs = std::filesystem;

class ChartImageWellTest : public QObject {
    Q_OBJECT

    struct Wells {
        explicit Wells(ViewTestAccount& account)
            : trades(account.context(), account.clock, account.prompter, account.code()),
              entry(ChartImageWell::Entry, gui::ImgPathTransformer(account.env().databasePath),
                    account.prompter),
              exit(ChartImageWell::Exit, gui::ImgPathTransformer(account.env().databasePath),
                   account.prompter) {
            trade = trades.newObject();
            trades.addObject(trade);
            entry.setChartImage(trade->chartImg());
            exit.setChartImage(trade->chartImg());
        }
        fs::path entryFile() const { return fs::path(entry.filePath()->toStdString()); }
        fs::path exitFile() const { return fs::path(exit.filePath()->toStdString()); }
        controllers::TradeArrayController trades;
        model::Trade* trade = nullptr;
        ChartImageWell entry, exit;
    };

    static QByteArray encoded(const QImage& image, const char* format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    }
    static std::unique_ptr<QMimeData> imageData(const QImage& image, const char* mime,
                                                const char* format) {
        auto data = std::make_unique<QMimeData>();
        data->setData(QString::fromLatin1(mime), encoded(image, format));
        return data;
    }
    static int filesIn(const fs::path& folder) {
        return static_cast<int>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
    static void drop(QWidget* target, QMimeData* data) {
        QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropEvent);
    }

private slots:
    // The stored size itself is storedChartImageSize's; here, each format read and scaled.
    void storesPicturesAtMost720WideAsPng_data() {
        QTest::addColumn<QSize>("given");
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QByteArray>("format"); // also the MIME subtype
        QTest::newRow("wide png") << QSize(1440, 900) << QSize(720, 450) << QByteArray("png");
        QTest::newRow("jpeg screenshot")
            << QSize(2880, 1800) << QSize(720, 450) << QByteArray("jpeg");
        QTest::newRow("bmp") << QSize(1000, 333) << QSize(720, 240) << QByteArray("bmp");
        QTest::newRow("narrow tiff") << QSize(300, 200) << QSize(300, 200) << QByteArray("tiff");
    }
    void storesPicturesAtMost720WideAsPng() {
        QFETCH(QSize, given);
        QFETCH(QSize, stored);
        QFETCH(QByteArray, format);
        const QByteArray mime = "image/" + format;
        if (!QImageReader::supportedMimeTypes().contains(mime))
            QSKIP("this Qt has no plugin for the format");
        ViewTestAccount account;
        Wells wells(account);
        auto data = imageData(makeChart(given.width(), given.height()), mime.constData(),
                              format.constData());
        QVERIFY(wells.entry.readFromMimeData(data.get()));
        QVERIFY(wells.entry.hasPendingImages()); // encoded on a worker
        wells.entry.finishPendingImages();
        const QString path = QString::fromStdString(wells.entryFile().string());
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        QCOMPARE(reader.size(), stored);
        QCOMPARE(wells.entry.image().size(), stored);
        QVERIFY(!fs::exists(wells.exitFile()));
        // Written through a temporary file: only the database and the picture are left.
        QCOMPARE(filesIn(account.folder()), 2);
    }

    void textOrRemoteAddressesStoreNothing() {
        ViewTestAccount account;
        Wells wells(account);
        QMimeData text;
        text.setText(QStringLiteral("AAPL long 100 @ 187.20"));
        QVERIFY(!wells.entry.readFromMimeData(&text));
        QApplication::clipboard()->setText(QStringLiteral("not a chart"));
        wells.entry.paste(); // beeps
        QMimeData remote;
        remote.setUrls({QUrl(QStringLiteral("https://example.com/chart.png"))});
        QVERIFY(!wells.entry.readFromMimeData(&remote));
        QMimeData broken;
        broken.setData(QStringLiteral("image/png"), QByteArray("not a picture"));
        QVERIFY(!wells.entry.readFromMimeData(&broken));
        QVERIFY(!fs::exists(wells.entryFile()));
        QVERIFY(wells.entry.image().isNull());
    }

    // What happens between a paste and the end of its encoding on the worker.
    void aPasteFinishingLaterGoesWhereItBelongs_data() {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<bool>("shown");
        QTest::newRow("nothing") << "nothing" << true << true;
        QTest::newRow("another trade selected") << "select other" << true << false;
        QTest::newRow("trade deleted") << "delete trade" << false << false;
        QTest::newRow("trade deleted and saved") << "delete and save" << false << false;
        QTest::newRow("picture deleted") << "delete picture" << false << false;
        QTest::newRow("another picture written") << "write" << true << true;
        QTest::newRow("well destroyed (window closed)") << "destroy well" << true << false;
    }
    void aPasteFinishingLaterGoesWhereItBelongs() {
        QFETCH(QString, meanwhile);
        QFETCH(bool, stored);
        QFETCH(bool, shown);
        ViewTestAccount account;
        auto wells = std::make_unique<Wells>(account);
        const fs::path file = wells->entryFile();
        auto data = imageData(makeChart(2880, 1800), "image/png", "PNG");
        QVERIFY(wells->entry.readFromMimeData(data.get()));
        QVERIFY(wells->entry.hasPendingImages());
        QSize expected(720, 450);
        if (meanwhile == "select other") {
            auto* other = wells->trades.newObject();
            wells->trades.addObject(other);
            wells->entry.setChartImage(other->chartImg());
        } else if (meanwhile.startsWith("delete trade") || meanwhile == "delete and save") {
            account.prompter.queueAnswer(true);
            wells->trades.remove();
            QVERIFY(wells->trade->isDeleted());
            Error error;
            if (meanwhile == "delete and save")
                QVERIFY(account.context().save(&error));
        } else if (meanwhile == "delete picture") {
            account.prompter.queueAnswer(true);
            wells->entry.deleteImage();
        } else if (meanwhile == "write") {
            QVERIFY(wells->entry.writeImageToFile(makeChart(300, 200)));
            expected = QSize(300, 200); // the newer picture stays
        }
        if (meanwhile == "destroy well")
            wells.reset();
        else
            QTRY_VERIFY(!wells->entry.hasPendingImages());
        QCOMPARE(fs::exists(file), stored);
        if (stored)
            QCOMPARE(QImageReader(QString::fromStdString(file.string())).size(), expected);
        if (wells) {
            QCOMPARE(!wells->entry.image().isNull(), shown);
            if (shown)
                QCOMPARE(wells->entry.image().size(), expected);
        }
        // Only the database and the picture: no temporary file is left.
        QCOMPARE(filesIn(account.folder()), stored ? 2 : 1);
    }

    void aPictureThatBreaksOffBeepsAndStoresNothing() {
        ViewTestAccount account;
        Wells wells(account);
        // A PNG header that promises a picture whose data is cut off.
        QMimeData data;
        data.setData(QStringLiteral("image/png"), encoded(makeChart(800, 500), "PNG").left(200));
        QSignalSpy finished(&wells.entry, &ChartImageWell::pendingImageFinished);
        QVERIFY(wells.entry.readFromMimeData(&data));
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.front().front().toBool(), false);
        QVERIFY(account.memoryLog.contains("Could not read the pasted chart image."));
        QVERIFY(!fs::exists(wells.entryFile()));
        QVERIFY(account.prompter.asked().empty());
    }

    void droppingAFileOnTheExitWellWritesOnlyTheExitFile() {
        ViewTestAccount account;
        Wells wells(account);
        const fs::path source = account.folder().parent_path() / "from-file-manager.jpg";
        QVERIFY(makeChart(1600, 1000).save(QString::fromStdString(source.string()), "JPG"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(source.string()))});
        drop(&wells.exit, &data);
        wells.exit.finishPendingImages();
        QVERIFY(fs::exists(wells.exitFile()));
        QVERIFY(!fs::exists(wells.entryFile()));
        QCOMPARE(QImageReader(QString::fromStdString(wells.exitFile().string())).size(),
                 QSize(720, 450));

        // A file that is no picture passes the drag but not the drop.
        const fs::path notes = account.folder().parent_path() / "notes.txt";
        writeFile(notes, "bought the open");
        QMimeData textFile;
        textFile.setUrls({QUrl::fromLocalFile(QString::fromStdString(notes.string()))});
        drop(&wells.entry, &textFile);
        QVERIFY(account.memoryLog.contains("Could not read from dragging pasteboard!"));
        QVERIFY(!fs::exists(wells.entryFile()));
    }

    void deleteAsksAndOnlyYesRemovesThatWellsFileAndAFailedWriteIsAnAlert() {
        ViewTestAccount account;
        Wells wells(account);
        QVERIFY(wells.entry.writeImageToFile(makeChart(800, 500)));
        QVERIFY(wells.exit.writeImageToFile(makeChart(800, 500)));

        account.prompter.queueAnswer(false);
        QTest::keyClick(&wells.entry, Qt::Key_Delete);
        QCOMPARE(account.prompter.asked().back().title, std::string("Confirm Deletion"));
        QCOMPARE(account.prompter.asked().back().message,
                 std::string("Are you sure you want to delete this image? It cannot be "
                             "recovered after it is deleted."));
        QCOMPARE(account.prompter.asked().back().defaultButton, std::string("No"));
        QVERIFY(fs::exists(wells.entryFile()));
        QVERIFY(!wells.entry.image().isNull());

        account.prompter.queueAnswer(true);
        QTest::keyClick(&wells.entry, Qt::Key_Delete);
        QVERIFY(!fs::exists(wells.entryFile()));
        QVERIFY(wells.entry.image().isNull());
        QVERIFY(fs::exists(wells.exitFile()));
        // The name stays: the next paste writes the same file again.
        QVERIFY(wells.entry.writeImageToFile(makeChart(400, 300)));
        QVERIFY(fs::exists(wells.entryFile()));

        // A folder in the picture's place cannot be replaced by a file: the failure is an alert.
        fs::remove(wells.exitFile());
        fs::create_directories(wells.exitFile() / "keep");
        QVERIFY(!wells.exit.writeImageToFile(makeChart(800, 500)));
        QVERIFY(account.prompter.asked().back().isAlert);
        QCOMPARE(account.prompter.asked().back().title, std::string("Could Not Save Image"));
    }

    void onlyADoubleClickAsksForTheEnlargedView() {
        ViewTestAccount account;
        Wells wells(account);
        QSignalSpy spy(&wells.entry, &ChartImageWell::enlargeChartImage);
        QTest::mouseDClick(&wells.entry, Qt::LeftButton);
        QCOMPARE(spy.count(), 0); // nothing to enlarge yet
        QVERIFY(wells.entry.writeImageToFile(makeChart(800, 500)));
        QTest::mouseClick(&wells.entry, Qt::LeftButton);
        QCOMPARE(spy.count(), 0);
        QTest::mouseDClick(&wells.entry, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        // Without anyone listening a double click does nothing at all.
        QTest::mouseDClick(&wells.exit, Qt::LeftButton);
    }
};

QTEST_MAIN(ChartImageWellTest)
#include "ChartImageWellTest.moc"

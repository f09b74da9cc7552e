#pragma once

#include "gui/views/trade/ChartImageEncoder.h"
#include "gui/views/trade/ImgPathTransformer.h"

#include <QFrame>
#include <QFuture>
#include <QImage>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace brivel {
class Prompter;
}
namespace brivel::model {
class ChartImage;
}
namespace brivel::store {
class ManagedObject;
class ObjectContext;
} // namespace brivel::store

namespace brivel::gui {

// One of the trade view's two chart pictures (tag 0: entry, 1: exit). The user pastes or drops a
// picture onto it; the well scales it to at most 720 wide, writes it as PNG under the chart image
// record's name in the account folder and shows it. Delete removes the file after a
// confirmation; a double click asks for the enlarged view.
//
// A pasted or dropped picture is decoded, scaled and encoded on a worker, so typing goes on
// meanwhile; the file is written on the main thread when the worker is done, and only while a
// live record still names it (a trade deleted in the meantime gets no file). Selecting another
// trade meanwhile loses nothing: the picture still goes to the trade it was pasted on. The
// destructor and finishPendingImages wait for what is under way.
class ChartImageWell : public QFrame {
    Q_OBJECT
public:
    enum Tag { Entry = 0, Exit = 1 };

    ChartImageWell(int tag, ImgPathTransformer transformer, Prompter& prompter,
                   QWidget* parent = nullptr);
    ~ChartImageWell() override;

    int tag() const { return m_tag; }
    // The selected trade's chart image record (nullptr: no trade selected). Loads the picture.
    void setChartImage(model::ChartImage* record);
    model::ChartImage* chartImage() const { return m_record; }
    // Loads the picture again from the file under the well's name (no picture when it is missing
    // or unreadable).
    void reload();
    const QImage& image() const { return m_image; }
    // The file this well works with, if the record names one.
    std::optional<QString> filePath() const;

    // Takes a picture from the data (picture data first, then a local file) and starts storing
    // it on a worker; answers whether the data held a picture it could take. Remote addresses are
    // never fetched. A picture that turns out unreadable later beeps.
    bool readFromMimeData(const QMimeData* mime);
    void paste();
    // Scales, encodes and writes the picture under the well's name at once, then shows it. A write
    // that fails is reported in an alert. False when nothing was written.
    bool writeImageToFile(const QImage& image);
    // Delete with its confirmation. A picture still being stored for this name is dropped.
    void deleteImage();
    // Waits for the pictures under way and stores them (the window closes).
    void finishPendingImages();
    bool hasPendingImages() const { return !m_pending.empty(); }

    // The text shown in an empty well.
    static QString emptyText();

signals:
    // A double click on a well showing a picture.
    void enlargeChartImage(brivel::gui::ChartImageWell* well);
    // The stored picture changed (written or deleted).
    void imageChanged();
    // A picture pasted or dropped onto this well was written (for any trade), or could not be
    // read or written. One dropped because a newer picture or a deletion came, or because its
    // trade is gone, is not reported.
    void pendingImageFinished(bool written);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // A picture being encoded on a worker, and where it goes.
    struct Pending {
        quint64 serial;
        store::ObjectContext* context;
        const store::ManagedObject* record; // the chart image record it was pasted on
        std::string storedName;
        QString path;
        QFuture<ChartImageEncoder::Result> future;
    };

    std::optional<QString> storedName() const;
    void startPending(ChartImageEncoder::Source source);
    void finishPending(quint64 serial);
    // Writes the bytes atomically; an alert when that fails.
    bool writeStored(const QString& path, const QByteArray& png, const QString& failure);

    int m_tag;
    ImgPathTransformer m_transformer;
    Prompter& m_prompter;
    model::ChartImage* m_record = nullptr;
    QImage m_image;
    std::vector<Pending> m_pending;
    // The newest paste, write or deletion for each stored name: an older picture finishing
    // later must not replace it.
    std::map<std::string, quint64> m_latest;
    quint64 m_serial = 0;
};

} // namespace brivel::gui

#pragma once

#include "gui/views/trade/ImgPathTransformer.h"

#include <QFrame>
#include <QImage>
#include <optional>

class QMimeData;

namespace brivel {
class Prompter;
}
namespace brivel::model {
class ChartImage;
}

namespace brivel::gui {

// One of the trade view's two chart pictures (tag 0: entry, 1: exit). The user pastes or drops a
// picture onto it; the well scales it to at most 720 wide, writes it as PNG under the chart image
// record's name in the account folder and shows what is on disk. Delete removes the file after a
// confirmation; a double click asks for the enlarged view.
class ChartImageWell : public QFrame {
    Q_OBJECT
public:
    enum Tag { Entry = 0, Exit = 1 };

    ChartImageWell(int tag, ImgPathTransformer transformer, Prompter& prompter,
                   QWidget* parent = nullptr);

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

    // Takes a picture from the data (picture data first, then a local file); answers whether the
    // data held something it could take. Remote addresses are never fetched.
    bool readFromMimeData(const QMimeData* mime);
    void paste();
    // Scales, encodes and writes the picture under the well's name, then shows the stored file.
    // A write that fails is reported in an alert. False when nothing was written.
    bool writeImageToFile(const QImage& image);
    // Delete with its confirmation.
    void deleteImage();

    // The picture scaled as it is stored (at most 720 wide, aspect kept).
    static QImage scaledForStorage(const QImage& image);
    // PNG bytes of the picture.
    static QByteArray pngData(const QImage& image);
    // The text shown in an empty well.
    static QString emptyText();

signals:
    // A double click on a well showing a picture.
    void enlargeChartImage(brivel::gui::ChartImageWell* well);
    // The stored picture changed (written or deleted).
    void imageChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::optional<QImage> imageFromMimeData(const QMimeData* mime, bool* offered) const;
    std::optional<QString> storedName() const;

    int m_tag;
    ImgPathTransformer m_transformer;
    Prompter& m_prompter;
    model::ChartImage* m_record = nullptr;
    QImage m_image;
};

} // namespace brivel::gui

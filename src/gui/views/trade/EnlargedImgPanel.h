#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

class QLabel;
class QPropertyAnimation;

namespace brivel::gui {

// A panel showing one chart image at its own size. It opens with its top-left corner at the
// mouse, kept within the available area of the screen under the mouse, and grows there from a
// small frame.
class EnlargedImgPanel : public QWidget {
    Q_OBJECT
public:
    explicit EnlargedImgPanel(QWidget* parent = nullptr);

    // Seconds the frame animation takes, whatever the frame.
    static double animationResizeTime() { return 0.2; }
    // The starting frame's size.
    static constexpr int StartSize = 20;

    // Where a frame of frameSize goes for a mouse at `mouse` (screen coordinates, y down): its
    // top-left corner at the mouse, then moved inside `available` (the screen's area without
    // panels and docks) when there is one. A frame larger than the area keeps its top and
    // right edges on the area's.
    static QRect placement(QPoint mouse, QSize frameSize, std::optional<QRect> available);

    // Shows the image under `title`, growing from the mouse position to its place.
    void showImage(const QImage& image, const QString& title, QPoint mouse);
    const QImage& image() const { return m_image; }
    // The frame the panel grows to (for tests: the animation ends there).
    QRect targetFrame() const { return m_target; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_view;
    QPropertyAnimation* m_animation;
    QImage m_image;
    QRect m_target;
};

} // namespace brivel::gui

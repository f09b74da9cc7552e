#include "gui/views/trade/EnlargedImgPanel.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>

namespace brivel::gui {

EnlargedImgPanel::EnlargedImgPanel(QWidget* parent)
    : QWidget(parent, Qt::Tool), m_view(new QLabel(this)),
      m_animation(new QPropertyAnimation(this, "geometry", this)) {
    setObjectName(QStringLiteral("lgImagePanel"));
    setAccessibleName(tr("Enlarged chart image"));
    setWindowTitle(tr("Enlarged Image"));
    m_view->setObjectName(QStringLiteral("lgImageView"));
    m_view->setAccessibleName(tr("Chart image"));
    m_view->setAlignment(Qt::AlignCenter);
    m_view->setScaledContents(true);
    // The panel grows from a small frame: the picture must not hold it at its own size.
    m_view->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_view->setMinimumSize(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_animation->setDuration(static_cast<int>(animationResizeTime() * 1000));
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
}

QRect EnlargedImgPanel::placement(QPoint mouse, QSize frameSize, std::optional<QRect> available) {
    const int w = frameSize.width();
    const int h = frameSize.height();
    int x = mouse.x();
    int y = mouse.y();
    if (available) {
        const QRect& a = *available;
        const int bottom = a.y() + a.height();
        const int right = a.x() + a.width();
        // The bottom edge first, then the top edge, which wins for a frame taller than the area.
        if (y + h > bottom)
            y = bottom - h;
        if (y < a.y())
            y = a.y();
        // Likewise the left edge, then the right edge, which wins.
        x = std::max(x, a.x());
        if (x + w > right)
            x = right - w;
    }
    return QRect(x, y, w, h);
}

void EnlargedImgPanel::showImage(const QImage& image, const QString& title, QPoint mouse) {
    m_image = image;
    m_view->setPixmap(QPixmap::fromImage(image));
    setWindowTitle(title);
    QScreen* screen = QGuiApplication::screenAt(mouse);
    std::optional<QRect> available;
    if (screen)
        available = screen->availableGeometry();
    // The content area is exactly the image's size; the frame adds the window decoration.
    QMargins frame = isVisible() ? QMargins(geometry().left() - frameGeometry().left(),
                                            geometry().top() - frameGeometry().top(),
                                            frameGeometry().right() - geometry().right(),
                                            frameGeometry().bottom() - geometry().bottom())
                                 : QMargins();
    QSize frameSize = image.size().grownBy(frame);
    QRect target = placement(mouse, frameSize, available);
    m_target = target.marginsRemoved(frame);
    m_animation->stop();
    setGeometry(QRect(mouse, QSize(StartSize, StartSize)));
    show();
    raise();
    activateWindow();
    m_animation->setStartValue(geometry());
    m_animation->setEndValue(m_target);
    m_animation->start();
}

void EnlargedImgPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Close)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace brivel::gui

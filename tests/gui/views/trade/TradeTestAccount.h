#pragma once

// The trade views' tests use the account of every view's tests.

#include "gui/support/ViewTestAccount.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

namespace brivel::test {

using TradeTestAccount = gui::test::ViewTestAccount;

// A plausible chart: a price line over a grid, in the given size.
inline QImage makeChart(int width, int height, QColor line = QColor(30, 90, 200)) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QColor(225, 225, 225));
    for (int x = 0; x < width; x += std::max(1, width / 12))
        p.drawLine(x, 0, x, height);
    p.setPen(QPen(line, std::max(1, width / 400)));
    QPointF last(0, height * 0.7);
    for (int i = 1; i <= 60; ++i) {
        QPointF next(width * i / 60.0,
                     height * (0.7 - 0.4 * i / 60.0 + 0.08 * ((i * 37 % 11) / 11.0 - 0.5)));
        p.drawLine(last, next);
        last = next;
    }
    return image;
}

} // namespace brivel::test

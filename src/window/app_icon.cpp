#include "window/app_icon.h"

#include <QPainter>
#include <QPainterPath>

QImage appIconImage() {
    QImage image(64, 64, QImage::Format_RGB888);
    image.fill(QColor(0x2b, 0x4a, 0x6f));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The page.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf7, 0xf3, 0xe8));
    p.drawRoundedRect(QRectF(10, 6, 40, 52), 4, 4);
    // The bars of a frequency chart.
    const int bars[] = {30, 22, 16, 10, 6};
    p.setBrush(QColor(0xd2, 0x4b, 0x3a));
    for (int i = 0; i < 5; ++i)
        p.drawRect(QRectF(15, 13 + i * 8, bars[i], 5));
    // The quill.
    QPainterPath quill;
    quill.moveTo(58, 4);
    quill.cubicTo(46, 10, 36, 28, 30, 50);
    quill.cubicTo(40, 36, 52, 22, 58, 4);
    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
    p.setPen(QPen(QColor(0x6b, 0x4a, 0x12), 1.2));
    p.drawPath(quill);
    p.drawLine(QPointF(30, 50), QPointF(27, 60));
    return image;
}

QIcon appIcon() {
    return QIcon(QPixmap::fromImage(appIconImage()));
}

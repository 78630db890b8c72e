#include "intake/gui/MenuImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kanata {
namespace {

// A telephone handset across the square `size`, as a thick curved stroke
// with an ear and a mouth piece.
void drawHandset(QPainter& p, qreal size, const QColor& colour) {
    const qreal s = size / 16.0;
    QPainterPath path;
    path.moveTo(3 * s, 5 * s);
    path.cubicTo(3 * s, 11 * s, 5 * s, 13 * s, 11 * s, 13 * s);
    p.setPen(QPen(colour, 2.2 * s, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(1 * s, 2 * s, 4 * s, 4.5 * s), 1.2 * s, 1.2 * s);
    p.drawRoundedRect(QRectF(9.5 * s, 11 * s, 4.5 * s, 4 * s), 1.2 * s, 1.2 * s);
}

void drawRingWaves(QPainter& p, qreal size, const QColor& colour) {
    const qreal s = size / 16.0;
    p.setPen(QPen(colour, 1.4 * s, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7 * s, 1 * s, 8 * s, 8 * s), 0, 90 * 16);
    p.drawArc(QRectF(9 * s, 3 * s, 4 * s, 4 * s), 0, 90 * 16);
}

QPixmap blank(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap phonePixmap(int size, bool ringing) {
    QPixmap pm = blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor body = ringing ? QColor(0xd0, 0x20, 0x20) : QColor(0x20, 0x50, 0xa0);
    drawHandset(p, size, body);
    if (ringing)
        drawRingWaves(p, size, QColor(0xe0, 0x80, 0x00));
    return pm;
}

QPixmap listPixmap(int size, const QColor& colour) {
    QPixmap pm = blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    p.setPen(QPen(colour.darker(140), s));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5 * s, 1.5 * s, 11 * s, 13 * s));
    p.setPen(QPen(colour, 1.2 * s));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(4.5 * s, (4.5 + 2.7 * i) * s), QPointF(11.5 * s, (4.5 + 2.7 * i) * s));
    return pm;
}

QPixmap gearPixmap(int size) {
    QPixmap pm = blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    const QColor colour(0x50, 0x50, 0x58);
    p.translate(8 * s, 8 * s);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-1.3 * s, -7.5 * s, 2.6 * s, 4 * s));
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 5 * s, 5 * s);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0, 0), 2 * s, 2 * s);
    return pm;
}

QPixmap exitPixmap(int size) {
    QPixmap pm = blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    p.setPen(QPen(QColor(0x60, 0x40, 0x20), s));
    p.setBrush(QColor(0xc0, 0x90, 0x50));
    p.drawRect(QRectF(2.5 * s, 1.5 * s, 8 * s, 13 * s));
    p.setPen(QPen(QColor(0x20, 0x80, 0x20), 1.8 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8 * s, 8 * s), QPointF(14.5 * s, 8 * s));
    p.drawLine(QPointF(12 * s, 5.5 * s), QPointF(14.5 * s, 8 * s));
    p.drawLine(QPointF(12 * s, 10.5 * s), QPointF(14.5 * s, 8 * s));
    return pm;
}

} // namespace

QPixmap handsetPixmap(int size, const QColor& colour) {
    QPixmap pm = blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawHandset(p, size, colour);
    return pm;
}

QIcon trayPicture(TrayImage image) {
    QIcon icon(phonePixmap(16, image == TrayImage::Call));
    icon.addPixmap(phonePixmap(32, image == TrayImage::Call));
    return icon;
}

QIcon toolImage(int index) {
    constexpr int kSize = 32;
    switch (index) {
    case kImageRecvHis:
        return QIcon(listPixmap(kSize, QColor(0x20, 0x50, 0xa0)));
    case kImageMeibo:
        return QIcon(listPixmap(kSize, QColor(0x20, 0x80, 0x40)));
    case kImageEnvironment:
        return QIcon(gearPixmap(kSize));
    case kImageExit:
        return QIcon(exitPixmap(kSize));
    case kImageCallWaiting:
        return QIcon(phonePixmap(kSize, true));
    default:
        return {};
    }
}

} // namespace kanata

#include "intake/gui/TSplashForm.h"

#include "intake/gui/MenuImages.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace kanata {

TSplashForm::TSplashForm(int showMilliseconds)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("着信帳１９.５"));
    setFixedSize(360, 180);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QTimer::singleShot(showMilliseconds, this, &QWidget::close);
}

void TSplashForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0x2a, 0x5c, 0xaa));
    sky.setColorAt(1, QColor(0x12, 0x2c, 0x5a));
    p.fillRect(rect(), sky);
    p.setPen(QColor(0xff, 0xff, 0xff, 0x60));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    p.drawPixmap(24, 52, handsetPixmap(64, QColor(0xff, 0xff, 0xff, 0xe0)));
    QFont title = font();
    title.setPointSize(22);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(100, 40, width() - 110, 50), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("着信帳１９.５"));
    QFont note = font();
    note.setPointSize(9);
    p.setFont(note);
    p.drawText(QRect(100, 95, width() - 110, 30), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("起動しています．．．"));
}

} // namespace kanata

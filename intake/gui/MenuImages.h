#pragma once
// The menu window's pictures, drawn at run time so no image files need to be
// shipped: the two notification-area icons and the tool bar images.
#include <QIcon>
#include <QPixmap>

namespace kanata {

enum class TrayImage { Stand, Call }; // "TRAY_STAND", "TRAY_CALL"

// Indexes of the tool bar image list.
enum ToolImage {
    kImageRecvHis = 0,
    kImageMeibo = 1,
    kImageEnvironment = 2,
    kImageExit = 3,
    kImageCallWaiting = 4,
};

QIcon trayPicture(TrayImage image); // 16 x 16
QIcon toolImage(int index);         // 32 x 32
QPixmap handsetPixmap(int size, const QColor& colour);

} // namespace kanata

#include "ui/gui/ItemDrag.h"

#include <QDataStream>
#include <QIODevice>
#include <QMap>
#include <QMimeData>
#include <QVariant>

namespace kanata {

int DraggedRow(const QMimeData* data) {
    const QString format = QStringLiteral("application/x-qabstractitemmodeldatalist");
    if (!data || !data->hasFormat(format))
        return -1;
    QByteArray bytes = data->data(format);
    QDataStream stream(&bytes, QIODevice::ReadOnly);
    int row = -1, column = -1;
    QMap<int, QVariant> roles;
    stream >> row >> column >> roles;
    return stream.status() == QDataStream::Ok ? row : -1;
}

} // namespace kanata

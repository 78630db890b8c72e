#pragma once
// Items dragged from one of the program's item lists onto a layout: the
// dragged data is the list's own model data, so the row names the item.
class QMimeData;

namespace kanata {

// The row of the first item a drag from an item view carries, or -1 when the
// data is not such a drag (a file or text from another program, say).
int DraggedRow(const QMimeData* data);

} // namespace kanata

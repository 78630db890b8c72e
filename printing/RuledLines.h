#pragma once
// The ruled-line buttons of the layout dialog: each position toggles with
// the selected line type, and the group buttons set or clear their group.
#include "printing/PrintFormat.h"

namespace kanata {

using RuledLines = std::array<RuledLineSetting, kRuledLineCount>;

// Off -> on with `type`; on with another type -> that type; on with `type`
// -> off.
void ToggleRuledLine(RuledLines& lines, RuledLine position, int type);
// "外枠": the four edges; "内側": the two inner sets. All of the group on
// with `type` turns it off, otherwise all of it goes on with `type`.
void ToggleEdges(RuledLines& lines, int type);
void ToggleInnerLines(RuledLines& lines, int type);
// "なし".
void ClearRuledLines(RuledLines& lines);

} // namespace kanata

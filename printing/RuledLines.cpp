#include "printing/RuledLines.h"

#include <algorithm>
#include <initializer_list>

namespace kanata {

namespace {

void ToggleGroup(RuledLines& lines, std::initializer_list<RuledLine> group, int type) {
    const bool allOnWithType = std::all_of(group.begin(), group.end(), [&](RuledLine p) {
        return lines[p].on && lines[p].type == type;
    });
    for (RuledLine p : group)
        lines[p] = {!allOnWithType, allOnWithType ? lines[p].type : type};
}

} // namespace

void ToggleRuledLine(RuledLines& lines, RuledLine position, int type) {
    RuledLineSetting& line = lines[position];
    if (line.on && line.type == type)
        line.on = false;
    else
        line = {true, type};
}

void ToggleEdges(RuledLines& lines, int type) {
    ToggleGroup(lines, {TopEdge, BottomEdge, LeftEdge, RightEdge}, type);
}

void ToggleInnerLines(RuledLines& lines, int type) {
    ToggleGroup(lines, {InnerHorizontal, InnerVertical}, type);
}

void ClearRuledLines(RuledLines& lines) {
    for (RuledLineSetting& line : lines)
        line.on = false;
}

} // namespace kanata

#pragma once
// The parts the roster's list windows share (the roster list and the
// export's roster list): the six order buttons above the list, the current
// order marked on them, and the column titles.
#include "roster/MeiboCondition.h"

#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace kanata {

using MeiboSortButtons = std::array<QPushButton*, kMeiboSortCount>;

// A row with the order buttons, pushed to the left; a click calls
// `onClick` with the button's order.
QHBoxLayout* MakeMeiboSortRow(QWidget* owner, MeiboSortButtons& buttons,
                              const std::function<void(MeiboSort)>& onClick);

// The caption of the `current` order bold and blue, the others plain (all
// plain without an order).
void MarkMeiboSort(const QWidget& owner, const MeiboSortButtons& buttons,
                   std::optional<MeiboSort> current);

QStringList MeiboColumnTitles();

} // namespace kanata

#pragma once
// The call view's two printed sheets, laid out as page plans: the list of
// output items ("[name]　　value", one per line) and the message memo for a
// 62 mm × 100 mm label.
#include "printing/PageMetrics.h"
#include "printing/PagePlan.h"

#include <QFont>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace kanata {

// The items switched on, in their configured order: name and value.
using ItemLines = std::vector<std::pair<std::string, std::string>>;

// Lines from the top-left corner (a margin of 10 mm), the values in one
// column after the widest "[name]　"; lines beyond the page go to further
// pages.
std::vector<PagePlan> PlanItemSheet(const ItemLines& items, const QFont& font,
                                    const PageGeometry& page);

struct MessageMemo {
    std::string title;                  // MemoTitle
    std::string caller;                 // company and name, may be empty
    std::string tel;                    // the caller's number
    std::array<std::string, 5> items{}; // MemoItem1..5; empty ones left out
    int telPos = 2;                     // 0: no number, k: below memo item k
    std::string reception;              // the call's date and time
};

// Title, "様へ", "様より", the memo items with their boxes and the number,
// "【MEMO】" with room to write, and "受付： " at the foot.
PagePlan PlanMemoSheet(const MessageMemo& memo, const PageGeometry& page);

} // namespace kanata

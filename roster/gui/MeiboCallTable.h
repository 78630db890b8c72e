#pragma once
// The roster editor's table of the calls of the record's numbers, its
// columns back to their first widths from the header's menu.
#include "roster/MeiboCallHistory.h"

#include <QTableView>

#include <array>
#include <string>

namespace kanata {

class MeiboHistoryModel;

class MeiboCallTable : public QTableView {
public:
    // `items` names the three selection columns.
    MeiboCallTable(MeiboCallHistory& history, const std::array<std::string, 3>& items,
                   QWidget* parent);

    // Shows the calls the history has loaded now.
    void reload();

private:
    void resetWidths();
    void headerMenu(const QPoint& at);

    MeiboHistoryModel* model_ = nullptr;
};

} // namespace kanata

#pragma once
// The table of the record's calls under the roster editor.
#include "data/Cp932.h"
#include "roster/MeiboCallHistory.h"
#include "ui/gui/CallerForm.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <array>
#include <optional>
#include <string>

namespace kanata {

// The calls of the record's numbers, read row by row as they are drawn.
class MeiboHistoryModel : public QAbstractTableModel {
public:
    MeiboHistoryModel(MeiboCallHistory& history, const std::array<std::string, 3>& items,
                      QObject* parent)
        : QAbstractTableModel(parent), history_(history) {
        titles_ = {"No.",           "日付",          "時刻",         "ランク",
                   ui::q(items[0]), ui::q(items[1]), ui::q(items[2])};
    }
    void reload() {
        beginResetModel();
        cachedIndex_ = -1;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : history_.count();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 7;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section < titles_.size())
            return titles_[section];
        return {};
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::TextAlignmentRole && index.column() == 0)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        if (index.column() == 0)
            return index.row() + 1;
        if (cachedIndex_ != index.row()) {
            cached_ = history_.row(index.row());
            cachedIndex_ = index.row();
        }
        if (!cached_)
            return {};
        const RecvHisRow& r = *cached_;
        const DateTime& t = r.RecvDateTime;
        switch (index.column()) {
        case 1:
            return t.isZero() ? QString()
                              : QString::asprintf("%04d/%02d/%02d", t.year, t.month, t.day);
        case 2:
            return t.isZero() ? QString()
                              : QString::asprintf("%02d:%02d:%02d", t.hour, t.minute, t.second);
        case 3:
            return ui::q(cp932::trim(r.Rank));
        case 4:
            return ui::q(cp932::trim(r.SelItem1));
        case 5:
            return ui::q(cp932::trim(r.SelItem2));
        default:
            return ui::q(cp932::trim(r.SelItem3));
        }
    }

private:
    MeiboCallHistory& history_;
    QStringList titles_;
    mutable int cachedIndex_ = -1;
    mutable std::optional<RecvHisRow> cached_;
};

} // namespace kanata

#pragma once
// The settings the history list works with, taken from the global settings
// by its owner (and handed in again when the settings dialog changed them).
#include "settings/GlobalSettings.h"

#include <string>

namespace kanata {

struct HistoryListOptions {
    int ListMaxCount = 200;     // rows per page, 1..1000
    bool DeleteType = false;    // ask for the deletion target
    bool AutoDel = false;       // delete old calls at creation
    int DeleteDay = 7;          // 1..14
    bool AutoDelConfirm = true; // ask before that
    std::string SelectItem1 = "内容", SelectItem2 = "メモ", SelectItem3 = "受付";
    bool EarlierSearch = true; // the re-lookup searches the own roster first
    bool UsePbAdrs = false;
    bool NotMoveFocus = false; // popping up does not take the foreground
    bool AutoAdd = true;       // the call view registers its caller before another is opened
    bool NewDataView = true;   // an incoming call replaces the record shown

    static HistoryListOptions From(const GlobalSettings& s) {
        HistoryListOptions o;
        o.ListMaxCount = s.ListMaxCount >= 1 && s.ListMaxCount <= 1000 ? s.ListMaxCount : 200;
        o.DeleteType = s.DeleteType;
        o.AutoDel = s.AutoDel;
        o.DeleteDay = s.DeleteDay;
        o.AutoDelConfirm = s.AutoDelConfirm;
        if (!s.SelectItem1.empty())
            o.SelectItem1 = s.SelectItem1;
        if (!s.SelectItem2.empty())
            o.SelectItem2 = s.SelectItem2;
        if (!s.SelectItem3.empty())
            o.SelectItem3 = s.SelectItem3;
        o.EarlierSearch = s.EarlierSearch;
        o.UsePbAdrs = s.UsePbAdrs;
        o.NotMoveFocus = s.NotMoveFocus;
        o.AutoAdd = s.AutoAdd;
        o.NewDataView = s.NewDataView;
        return o;
    }
};

} // namespace kanata

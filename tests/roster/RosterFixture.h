#pragma once
// A data folder with both tables open, for the roster tests.
#include "data/TelKeys.h"
#include "tests/support/DataFolderTest.h"
#include "tests/support/RosterEntry.h"

#include <gtest/gtest.h>

namespace kanata::test {

class RosterFixture : public DataFolderTest {
protected:
    void SetUp() override {
        dm.LoadItemLists(folders.scratch() / "app");
        openTables();
    }

    int addRow(const std::string& tel1, const std::string& tel2, const std::string& nameKana = {},
               const std::string& adrs1 = {}) {
        MeiboRow row = RosterEntry(tel1, tel2);
        row.NameKana = nameKana;
        row.NameKanji = nameKana;
        row.Adrs1 = adrs1;
        row.PrivCorp = "0";
        return *dm.Meibo().append(row, messages);
    }
    int addCall(const std::string& tel, DateTime when) {
        RecvHisRow call;
        call.RecvDateTime = when;
        call.Tel = tel;
        call.SchTel = TelSearchKey(tel);
        return *dm.RecvHis().append(call, messages);
    }
};

} // namespace kanata::test

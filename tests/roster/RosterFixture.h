#pragma once
// A data folder with both tables open, for the roster tests.
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

namespace kanata::test {

class RosterFixture : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    std::filesystem::path dataFolder = folders.scratch() / "Data";
    TDMKanata195 dm{dataFolder, messages};

    void SetUp() override {
        dm.LoadItemLists(folders.scratch() / "app");
        ASSERT_TRUE(dm.OpenMeibo());
        ASSERT_TRUE(dm.OpenRecvHis());
    }
    void TearDown() override {
        dm.CloseMeibo();
        dm.CloseRecvHis();
    }

    int addRow(const std::string& tel1, const std::string& tel2, const std::string& nameKana = {},
               const std::string& adrs1 = {}) {
        MeiboRow row;
        row.Tel1 = tel1;
        row.SchTel1 = TelSearchKey(tel1);
        row.Tel2 = tel2;
        row.SchTel2 = TelSearchKey(tel2);
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

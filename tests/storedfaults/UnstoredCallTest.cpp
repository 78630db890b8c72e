// A call that could not be stored has no history row of its own: neither
// the button of the call view nor the automatic registration of the next
// call may write its caller into the row of another call.
#include "data/Sqlite.h"
#include "history/gui/THistoryList.h"
#include "tests/storedfaults/CallDesk.h"
#include "tests/storedfaults/Typing.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace kanata::test {
namespace {

using UnstoredCall = CallDesk;

TEST_F(UnstoredCall, OnAFullDiskTheNextCallsAutomaticRegistrationLeavesOtherRowsAlone) {
    call("0311111111"); // row 0: a caller nobody names
    closeView();

    faults.failWrites("RecvHis.DB");
    messages.expect("データの書き込みに失敗しました");
    call("0322222222");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(view().record().Tel[0], "03-2222-2222");
    EXPECT_EQ(view().CurrentRecNo(), CallRecord::kNoHistoryRow);

    faults.heal();
    typeJapanese(view().edtNameKanji, QStringLiteral("山田太郎"));
    call("0333333333"); // registers the caller shown first, without a box

    const auto rows = history();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].SchTel, "0311111111");
    EXPECT_EQ(rows[0].NameKanji, "");
    EXPECT_EQ(rows[1].SchTel, "0333333333");
    const auto callers = roster();
    ASSERT_EQ(callers.size(), 1u);
    EXPECT_EQ(callers[0].Tel1, "03-2222-2222");
    EXPECT_EQ(callers[0].NameKanji, "山田太郎");
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST_F(UnstoredCall, WithNoRecordNumberLeftTheButtonWritesOnlyTheRoster) {
    call("0311111111");
    closeView();
    dm.RecvHis().table().database().exec(
        "INSERT INTO RecvHis (RecNo, SchTel, Tel) VALUES (99999, '0399999999', '03-9999-9999')");

    messages.expect("データ管理カウンタが一杯になり登録できませんでした");
    call("0322222222");
    TReceiveView& v = view();
    ASSERT_EQ(v.record().Tel[0], "03-2222-2222");
    EXPECT_EQ(windows->historyList()->openRow(), -1); // no row of another call is marked

    typeJapanese(v.edtNameKanji, QStringLiteral("鈴木"));
    typeJapanese(v.edtCorpKanji, QStringLiteral("鈴木商店"));
    QTest::mouseClick(v.btnRegister, Qt::LeftButton);

    EXPECT_EQ(v.pnlDivision->text(), QStringLiteral("既存"));
    EXPECT_EQ(v.CurrentRecNo(), CallRecord::kNoHistoryRow);
    const auto rows = history();
    ASSERT_EQ(rows.size(), 2u);
    for (const RecvHisRow& row : rows) {
        EXPECT_EQ(row.NameKanji, "") << row.RecNo;
        EXPECT_EQ(row.CorpKanji, "") << row.RecNo;
    }
    const auto callers = roster();
    ASSERT_EQ(callers.size(), 1u);
    EXPECT_EQ(callers[0].SchTel1, "0322222222");
    EXPECT_EQ(callers[0].CorpKanji, "鈴木商店");
    EXPECT_EQ(messages.shown().size(), 1u); // no "not found" after the counter box
}

} // namespace
} // namespace kanata::test

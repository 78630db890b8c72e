// An item list that cannot be read at start: the others load all the same,
// and its file is never written over, neither by a registration nor by the
// list editor.
#include "data/THistoryData.h"
#include "views/gui/TInputList.h"
#include "tests/storedfaults/CallDesk.h"
#include "tests/storedfaults/Typing.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <sstream>

namespace kanata::test {
namespace {

std::string bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class ItemListFaults : public CallDesk {
protected:
    std::filesystem::path folder() const { return dm.dataFolder(); }

    void writeList(const char* name, int itemSize, std::initializer_list<const char*> items) {
        THistoryData list(folder() / name, true, itemSize);
        for (const char* item : items)
            list.Add(item, 1.0);
        list.Save();
    }

    // Rank.mtd cannot be read from the disk, SelItem1.mtd ends inside an item.
    void damageTwoLists() {
        writeList("Rank.mtd", 20, {"Ａ", "Ｂ"});
        writeList("SelItem1.mtd", 60, {"見積", "納品"});
        writeList("SelItem2.mtd", 60, {"至急", "折返し"});
        writeList("SelItem3.mtd", 60, {"受付"});
        const std::string whole = bytesOf(folder() / "SelItem1.mtd");
        std::ofstream(folder() / "SelItem1.mtd", std::ios::binary | std::ios::trunc)
            << whole.substr(0, whole.size() - 3);
        faults.failReads("Rank.mtd");
    }
};

TEST_F(ItemListFaults, EachListLoadsOnItsOwnAndAnUnreadOneKeepsItsFile) {
    damageTwoLists();
    const std::string rankBefore = bytesOf(folder() / "Rank.mtd");
    const std::string sel1Before = bytesOf(folder() / "SelItem1.mtd");
    messages.expect("データが読み込めませんでした\r\n" + (folder() / "Rank.mtd").string())
        .expect("データが読み込めませんでした\r\n" + (folder() / "SelItem1.mtd").string());
    EXPECT_EQ(dm.LoadItemLists(folders.scratch() / "app"), 2);
    faults.heal(); // the disk answers again; the lists stay as they were read
    EXPECT_TRUE(dm.Rank().unreadable());
    EXPECT_TRUE(dm.SelItem(1).unreadable());
    ASSERT_EQ(dm.SelItem(2).Count(), 2);
    EXPECT_EQ(dm.SelItem(2).Get(1), "折返し");
    ASSERT_EQ(dm.SelItem(3).Count(), 1);

    // A caller registered with a rank and items typed in: the readable list
    // takes its item to the top, the unread ones stay untouched.
    call("0322222222");
    TReceiveView& v = view();
    EXPECT_EQ(v.cbxRank->count(), 0);
    typeLatin(v.cbxRank->lineEdit(), QStringLiteral("VIP"));
    typeJapanese(v.cbxSelItem[0]->lineEdit(), QStringLiteral("修理"));
    typeJapanese(v.cbxSelItem[1]->lineEdit(), QStringLiteral("折返し"));
    QTest::mouseClick(v.btnRegister, Qt::LeftButton);
    ASSERT_EQ(v.pnlDivision->text(), QStringLiteral("既存"));

    EXPECT_EQ(bytesOf(folder() / "Rank.mtd"), rankBefore);
    EXPECT_EQ(bytesOf(folder() / "SelItem1.mtd"), sel1Before);
    THistoryData sel2(folder() / "SelItem2.mtd", true, 60);
    sel2.Load();
    ASSERT_EQ(sel2.Count(), 2);
    EXPECT_EQ(sel2.Get(0), "折返し");
    const auto callers = dm.Meibo().read(Query{});
    ASSERT_EQ(callers.size(), 1u);
    EXPECT_EQ(callers[0].Rank, "VIP");
    EXPECT_EQ(dm.RecvHis().read(Query{}).at(0).SelItem1, "修理");
    EXPECT_EQ(messages.shown().size(), 2u);

    // The list editor: the changed list is refused with the read error and
    // its file stays as it is.
    QTimer::singleShot(0, [this] {
        auto* dialog = qobject_cast<TInputList*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        typeJapanese(dialog->edtName, QStringLiteral("点検"));
        QTest::mouseClick(dialog->btnAdd, Qt::LeftButton);
        messages.expect("データが読み込めませんでした\r\n" + (folder() / "SelItem1.mtd").string());
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(v.btnListEdit[1], Qt::LeftButton);
    EXPECT_EQ(messages.shown().size(), 3u);
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_EQ(bytesOf(folder() / "SelItem1.mtd"), sel1Before);
}

} // namespace
} // namespace kanata::test

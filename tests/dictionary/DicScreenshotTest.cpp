// Pictures of the dictionary windows for the documentation: run with
// KANATA_SCREENSHOT_DIR=docs/screenshots to write them; skipped otherwise.
#include "lookup/gui/TDicSearch.h"
#include "lookup/gui/TNameDicP.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QTableWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kanata;

namespace {

class DicScreenshots : public ::testing::Test {
protected:
    QString folder_;
    test::ScriptedMessages messages;
    void SetUp() override {
        folder_ = qEnvironmentVariable("KANATA_SCREENSHOT_DIR");
        if (folder_.isEmpty())
            GTEST_SKIP() << "KANATA_SCREENSHOT_DIR not set";
    }
    void save(QWidget& w, const char* name) {
        QApplication::processEvents();
        const QPixmap picture = w.grab();
        ASSERT_FALSE(picture.isNull());
        EXPECT_TRUE(picture.save(folder_ + QLatin1Char('/') + QLatin1String(name)));
    }
};

TEST_F(DicScreenshots, PostalTabWithTownsAndTheNamePopup) {
    TDicSearch search(test::stageFolder() / "Dic", messages, nullptr);
    search.SetTabs(7, true);
    search.show();
    ASSERT_EQ(search.Start(2, "100-00"), TDicSearch::kStartShow);
    search.pages[1].lvTown->setCurrentItem(search.pages[1].lvTown->topLevelItem(5));
    save(search, "dic-search-postal.png");

    QWidget owner;
    owner.resize(300, 60);
    auto* edit = new QLineEdit(&owner);
    owner.show();
    TNameDicP popup(test::stageFolder() / "Dic", &owner);
    const int count = popup.QueryNames("ﾏｷ", 0);
    ASSERT_GT(count, 5);
    popup.ShowNames(edit, "ﾏｷ", 0, count);
    save(popup, "name-dic-popup.png");
}

} // namespace

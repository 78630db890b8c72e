// The map buttons of the roster editor and the call view in the running
// program: a command-line map product (a stand-in that records what it is
// given), a product that is not installed, and the web map.
#include "maps/MapLaunch.h"
#include "settings/Registry.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/UserInput.h"
#include "tests/windowpaths/BrowserStandIn.h"
#include "tests/windowpaths/RunningProgram.h"
#include "views/gui/TReceiveView.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <fstream>

namespace kanata::test {
namespace {

constexpr int kEmapZ = 3;
constexpr int kGrandMap = 9;
constexpr int kWebMap = 10;

class MapButtons : public RunningProgram {
protected:
    void useMap(int product, int searchKind) {
        editSettings([product, searchKind](IniFile& ini) {
            ini.writeInteger("COMMON", "Map", product);
            ini.writeInteger("COMMON", "MapSearchKind", searchKind);
        });
    }
    // The known caller opened from the roster list; `act` runs on the editor.
    void onKnownCallerInEditor(const std::function<void(TMeiboView&)>& act) {
        ASSERT_TRUE(inRosterList([&](TMeiboList& list) {
            TMeiboView* editor = inquireFirst(list, QStringLiteral("0355501234"));
            ASSERT_NE(editor, nullptr);
            ASSERT_EQ(editor->edtTel1->text(), QStringLiteral("03-5550-1234"));
            act(*editor);
        }));
    }
};

// The stand-in registered where the product's installer puts it; its
// command line is the registered value followed by the arguments.
TEST_F(MapButtons, CommandLineProductGetsTheWindowsAddressAndPosition) {
    const std::filesystem::path product = standInProgram(folders.scratch() / "emapz" / "emapz");
    Registry registry;
    ASSERT_TRUE(registry.writeString("HKEY_CURRENT_USER\\Software\\ZENRIN\\EmapZ\\InstallInfo",
                                     "Directory", product.string()));
    useMap(kEmapZ, 1);
    ASSERT_TRUE(start());
    addRosterRow(KnownCaller());
    const QStringList expected{QStringLiteral("5031615"), // longitude / 100
                               QStringLiteral("1284526"), // latitude / 100
                               QStringLiteral("0"),
                               QStringLiteral("0"),
                               QStringLiteral("0"),
                               QStringLiteral("0"),
                               QStringLiteral("2"),
                               QStringLiteral("1"), // by address
                               QStringLiteral("東京都千代田区丸の内１－９－１")};

    onKnownCallerInEditor([](TMeiboView& editor) { click(editor.btnMap); });
    EXPECT_EQ(recordedArguments(expected.size()), expected);

    std::filesystem::remove(recordFile());
    TReceiveView* view = callIn("0355501234");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->pnlDivision->text(), QStringLiteral("既存"));
    // What the window shows counts, typed changes included.
    typeInto(view->edtAdrs3, QStringLiteral("２－１"));
    click(view->btnMap);
    QStringList fromView = expected;
    fromView.last() = QStringLiteral("東京都千代田区丸の内２－１");
    EXPECT_EQ(recordedArguments(fromView.size()), fromView);
    EXPECT_TRUE(messages.shown().empty());
}

// The default product is found and started through its starter program in
// the application folder, which answers -I (installed) and -V (version).
TEST_F(MapButtons, DefaultProductStartsThroughTheStarterInTheProgramFolder) {
    const AppFolderCopy app(folders.scratch() / "app");
    const std::filesystem::path kick = app.path() / "MappleKick.exe";
    std::ofstream(kick) << "#!/bin/sh\ncase \"$1\" in -I) exit 0;; -V) exit 200;; esac\n"
                        << "for a in \"$@\"; do echo \"$a\"; done >> '" << recordFile().string()
                        << "'\n";
    std::filesystem::permissions(kick, std::filesystem::perms::owner_all);
    ASSERT_TRUE(start(app.path()));
    addRosterRow(KnownCaller());
    const QStringList expected{QStringLiteral("/LAT=128452600"), QStringLiteral("/LON=503161500")};

    onKnownCallerInEditor([](TMeiboView& editor) { click(editor.btnMap); });
    EXPECT_EQ(recordedArguments(expected.size()), expected);

    std::filesystem::remove(recordFile());
    TReceiveView* view = callIn("0355501234");
    ASSERT_NE(view, nullptr);
    click(view->btnMap);
    EXPECT_EQ(recordedArguments(expected.size()), expected);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(MapButtons, ProductNotInstalledIsToldFromBothWindows) {
    useMap(kGrandMap, 0);
    ASSERT_TRUE(start());
    addRosterRow(KnownCaller());
    messages.expect("グランマップがインストールされていません");
    onKnownCallerInEditor([](TMeiboView& editor) { click(editor.btnMap); });
    EXPECT_TRUE(messages.allAnswered());

    TReceiveView* view = callIn("0355501234");
    ASSERT_NE(view, nullptr);
    messages.expect("グランマップがインストールされていません");
    click(view->btnMap);
    EXPECT_TRUE(messages.allAnswered());
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown().back().owner, static_cast<const void*>(view));
    EXPECT_EQ(messages.shown().back().icon, MessageIcon::Information);
}

TEST_F(MapButtons, WebMapOpensTheAddressInTheBrowser) {
    useMap(kWebMap, 0);
    ASSERT_TRUE(start());
    addRosterRow(KnownCaller());
    BrowserStandIn browser;
    const QString expected = QString::fromStdString(webMapUrl("東京都千代田区丸の内１－９－１"));
    onKnownCallerInEditor([](TMeiboView& editor) { click(editor.btnMap); });
    ASSERT_EQ(browser.opened, QStringList{expected});

    TReceiveView* view = callIn("0355501234");
    ASSERT_NE(view, nullptr);
    click(view->btnMap);
    EXPECT_EQ(browser.opened, (QStringList{expected, expected}));
    EXPECT_TRUE(browser.opened.front().startsWith(
        QStringLiteral("https://www.google.com/maps?q=%E6%9D%B1%E4%BA%AC")));
    EXPECT_TRUE(messages.shown().empty());
}

} // namespace
} // namespace kanata::test

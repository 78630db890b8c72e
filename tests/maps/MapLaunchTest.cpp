// What each map product is given, found through the registry file and the
// file system, and started as a real child process that records its
// arguments.
#include "maps/MapLaunch.h"
#include "maps/RunProgram.h"
#include "settings/Registry.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/TempFolders.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;

// Tokyo station: 35°40'52.6" N, 139°46'01.5" E in milliseconds of arc.
MapRequest tokyo(int kind) {
    MapRequest r;
    r.SearchKind = kind;
    r.Latitude = 35 * 3600000 + 40 * 60000 + 52600;
    r.Longitude = 139 * 3600000 + 46 * 60000 + 1500;
    r.Number = "0312345678";
    r.Address = "東京都千代田区丸の内１－９－１";
    return r;
}

class MapLaunch : public ::testing::Test {
protected:
    TempFolders folders;
    Registry registry{folders.configHome() / "registry.ini"};
    fs::path record() const { return folders.scratch() / "args.txt"; }
    std::vector<std::string> started;

    MapEnvironment env() {
        return {&registry,
                folders.root() / "app",
                [this](const std::string& line, const std::string& folder, bool noWait) {
                    started.push_back(line);
                    return RunProgram(line, folder, noWait);
                },
                {}};
    }
    // A stand-in product: a script that writes its arguments, one a line.
    fs::path standIn(const fs::path& where, int exitCode = 0) {
        fs::create_directories(where.parent_path());
        std::ofstream(where) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done >> '"
                             << record().string() << "'\nexit " << exitCode << "\n";
        fs::permissions(where, fs::perms::owner_all);
        return where;
    }
    std::string recorded() {
        // Detached starts finish on their own time.
        QElapsedTimer timer;
        timer.start();
        while (!fs::exists(record()) && timer.elapsed() < 10000)
            QThread::msleep(20);
        QThread::msleep(50);
        return readFile(record());
    }
};

TEST_F(MapLaunch, ZenrinZiGetsTheCoordinatesInHundredthsAndTheAddress) {
    const fs::path program = standIn(folders.root() / "emapz" / "emapz.sh");
    registry.writeString("HKEY_CURRENT_USER\\Software\\ZENRIN\\EmapZ\\InstallInfo", "Directory",
                         " " + program.string() + " ");
    const auto result = launchMap(3, tokyo(1), env());
    ASSERT_EQ(result.outcome, MapOutcome::Started);
    EXPECT_EQ(result.commandLine,
              program.string() + " 5031615 1284526 0 0 0 0 2 1 東京都千代田区丸の内１－９－１");
    EXPECT_EQ(recorded(), "5031615\n1284526\n0\n0\n0\n0\n2\n1\n東京都千代田区丸の内１－９－１\n");

    MapRequest noAddress = tokyo(1);
    noAddress.Address.clear();
    EXPECT_EQ(emapZCommandLine("z", noAddress), "z 5031615 1284526 0 0 0 0 2 0 ");
}

TEST_F(MapLaunch, ItsumoNaviNeedsItsProgramAndTakesSecondsOfArc) {
    registry.writeString("HKEY_LOCAL_MACHINE\\SOFTWARE\\ZENRIN\\ZmapNet\\PC", "InstallPath",
                         (folders.root() / "navi").string());
    EXPECT_EQ(launchMap(4, tokyo(0), env()).outcome, MapOutcome::NotInstalled);
    const fs::path program = standIn(folders.root() / "navi" / "bin" / "its-moNavi.exe");
    const auto result = launchMap(4, tokyo(0), env());
    ASSERT_EQ(result.outcome, MapOutcome::Started);
    EXPECT_EQ(result.commandLine,
              "\"" + program.string() + "\" 1 tokyo second 503161.50/128452.60 g 1 0");
    EXPECT_EQ(recorded(), "1\ntokyo\nsecond\n503161.50/128452.60\ng\n1\n0\n");
    EXPECT_EQ(*itsumoNaviArguments(tokyo(1)), "3 東京都千代田区丸の内１－９－１ g 1 0");
    MapRequest odd = tokyo(0);
    odd.SearchKind = 2;
    EXPECT_FALSE(itsumoNaviArguments(odd));
}

TEST_F(MapLaunch, SuperMappleAsksItsStarterForTheGeneration) {
    // The starter answers -I with 0 and -V with 200 (generation 2; exit codes
    // here stop at 255, so later generations cannot be told apart).
    const fs::path kick = folders.root() / "app" / "MappleKick.exe";
    fs::create_directories(kick.parent_path());
    std::ofstream(kick) << "#!/bin/sh\ncase \"$1\" in -I) exit 0;; -V) exit 200;; esac\n"
                           "echo \"$@\" >> '"
                        << record().string() << "'\nexit 0\n";
    fs::permissions(kick, fs::perms::owner_all);
    const auto result = launchMap(8, tokyo(0), env());
    ASSERT_EQ(result.outcome, MapOutcome::Started);
    EXPECT_EQ(result.commandLine, "\"" + kick.string() + "\" /LAT=128452600 /LON=503161500");
    EXPECT_EQ(recorded(), "/LAT=128452600 /LON=503161500\n");
    EXPECT_EQ(superMappleArguments(tokyo(1)), " /ADDRESS=東京都千代田区丸の内１－９－１");
    MapRequest nothing;
    nothing.SearchKind = 1;
    EXPECT_EQ(superMappleArguments(nothing), "");
}

TEST_F(MapLaunch, GrandMapInDegreesOrByAddressAndAlwaysStarts) {
    const fs::path program = standIn(folders.root() / "grand" / "GrandMap.exe");
    registry.writeString("HKEY_LOCAL_MACHINE\\SOFTWARE\\MapNet\\GrandMap", "Install Directory",
                         program.parent_path().string() + "/");
    const auto result = launchMap(9, tokyo(0), env());
    ASSERT_EQ(result.outcome, MapOutcome::Started);
    EXPECT_EQ(result.commandLine, "\"" + program.string() + "\" /M 35.681278 139.767083 2500");
    EXPECT_EQ(recorded(), "/M\n35.681278\n139.767083\n2500\n");

    MapRequest empty; // search kind 0, no position, no address
    EXPECT_EQ(grandMapCommandLine("g", empty), "\"g\" /M 0.000000 0.000000 2500");
    MapRequest addressOnly = tokyo(0);
    addressOnly.Latitude = 0;
    EXPECT_EQ(grandMapCommandLine("g", addressOnly),
              "\"g\" /A 東京都千代田区丸の内１－９－１ 2500");
    EXPECT_EQ(addressOnly.SearchKind, 1);
}

TEST_F(MapLaunch, WebMapEncodesEveryByte) {
    EXPECT_EQ(webMapUrl(""), "https://www.google.com/maps?q=");
    EXPECT_EQ(webMapUrl("A1"), "https://www.google.com/maps?q=%41%31");
    EXPECT_EQ(webMapUrl("東"), "https://www.google.com/maps?q=%E6%9D%B1");
    std::string opened;
    MapEnvironment browser = env();
    browser.openUrl = [&opened](const std::string& url) {
        opened = url;
        return true;
    };
    MapRequest r;
    r.SearchKind = 1;
    EXPECT_EQ(launchMap(10, r, browser).outcome, MapOutcome::Started);
    EXPECT_EQ(opened, "https://www.google.com/maps?q=");
}

TEST_F(MapLaunch, WindowsOnlyProductsAreReportedAndNothingStarts) {
    for (int index : {0, 1, 2, 5, 6, 7, 3, 4, 9})
        EXPECT_EQ(launchMap(index, tokyo(0), env()).outcome, MapOutcome::NotInstalled) << index;
    registry.writeString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Increment P Corporation\\MapFan\\3.5", "x",
                         "1");
    EXPECT_EQ(launchMap(5, tokyo(0), env()).outcome, MapOutcome::NotInstalled);
    registry.writeString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Increment P Corporation\\MapFan\\4.1", "x",
                         "1");
    EXPECT_EQ(launchMap(5, tokyo(0), env()).outcome, MapOutcome::Message);
    MapRequest none;
    EXPECT_EQ(launchMap(0, none, env()).message, "電話番号を入力してください");
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(mapNotInstalledMessage(10), "Google マップが呼び出せません");
}

} // namespace
} // namespace kanata::test

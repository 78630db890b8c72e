#include "platform/DriveScan.h"
#include "settings/Registry.h"
#include "settings/WindowGeometry.h"
#include "tests/support/TempFolders.h"

#include <fstream>
#include <gtest/gtest.h>

namespace kanata {
namespace {
namespace fs = std::filesystem;

TEST(WindowGeometry, ScalesAt96DotsPerInchBothWays) {
    EXPECT_EQ(toScreenPixels(500, 144), 750);
    EXPECT_EQ(toStoredUnits(750, 144), 500);
    EXPECT_EQ(toStoredUnits(101, 144), 67); // 67.33 rounds down
    EXPECT_EQ(toStoredUnits(100, 144), 67); // 66.67 rounds up
    EXPECT_EQ(toScreenPixels(3, 120), 4);   // 3.75
    EXPECT_EQ(toScreenPixels(500, 96), 500);
}

TEST(WindowGeometry, SectionKeysAndCentredDefault) {
    IniFile ini("unused.ini");
    ini.parse("[HISTORY LIST]\nWidth=400\nHeight=300\nList1=50\nList3=70\n");
    StoredGeometry stored = readGeometry(ini, "history list", 3);
    EXPECT_FALSE(stored.left.has_value());
    ScreenGeometry defaults{0, 0, 100, 100, {10, 20, 30}};
    ScreenGeometry on = applyGeometry(stored, defaults, 1920, 1080, 144);
    EXPECT_EQ(on.width, 600);
    EXPECT_EQ(on.height, 450);
    EXPECT_EQ(on.left, (1920 - 600) / 2);
    EXPECT_EQ(on.top, (1080 - 450) / 2);
    EXPECT_EQ(on.columns, (std::vector<int>{75, 20, 105}));

    on.left = 150;
    IniFile out("unused.ini");
    writeGeometry(out, "MENU VIEW", storeGeometry(on, 144, false));
    EXPECT_EQ(out.readInteger("MENU VIEW", "Left", -1), 100);
    EXPECT_FALSE(out.hasKey("MENU VIEW", "Width")) << "a fixed-size window stores no size";
    EXPECT_EQ(out.readInteger("MENU VIEW", "List3", -1), 70);
}

TEST(DriveScan, OpticalRemovableAndNetworkMounts) {
    test::TempFolders t;
    const fs::path mounts = t.scratch() / "mounts";
    std::ofstream(mounts) << "/dev/sda1 / ext4 rw 0 0\n"
                             "proc /proc proc rw 0 0\n"
                             "/dev/sr0 /mnt/disc iso9660 ro 0 0\n"
                             "/dev/loop3 /srv/image udf ro 0 0\n"
                             "/dev/sdb1 /media/user/USB\\040STICK vfat rw 0 0\n"
                             "/dev/sdc1 /run/media/user/CARD exfat rw 0 0\n"
                             "server:/export /net/phone nfs4 rw 0 0\n"
                             "//nas/share /net/smb cifs rw 0 0\n"
                             "user@host:/x /net/ssh fuse.sshfs rw 0 0\n"
                             "/dev/sr0 /mnt/disc iso9660 ro 0 0\n"
                             "tmpfs /media tmpfs rw 0 0\n"
                             "garbage\n";
    const std::vector<std::string> local{"/mnt/disc", "/srv/image", "/media/user/USB STICK",
                                         "/run/media/user/CARD"};
    EXPECT_EQ(scanDrives(false, mounts), local);
    auto all = scanDrives(true, mounts);
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all[4], "/net/phone");
    EXPECT_EQ(all[5], "/net/smb");
    EXPECT_EQ(all[6], "/net/ssh");
    EXPECT_TRUE(scanDrives(true, t.scratch() / "no-such-file").empty());
}

TEST(Registry, KeysValuesAndDefaultValueInAnIniFile) {
    test::TempFolders t;
    EXPECT_EQ(Registry::defaultPath(), t.configHome() / "Tenko" / "registry.ini");
    const std::string appPaths =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Foo.exe";
    {
        Registry reg;
        EXPECT_FALSE(reg.readString(appPaths).has_value());
        ASSERT_TRUE(reg.writeString(appPaths, Registry::kDefaultValue, "/opt/foo/foo"));
        ASSERT_TRUE(reg.writeString(appPaths, "Path", "/opt/foo/"));
        ASSERT_TRUE(
            reg.writeDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\ALPS\\Rdw70\\Map", "Level", 4000000000u));
    }
    Registry reg; // a new reader sees what was saved
    EXPECT_EQ(reg.readString(appPaths), "/opt/foo/foo");
    EXPECT_EQ(
        reg.readString(
            "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\app paths\\FOO.EXE",
            "path"),
        "/opt/foo/");
    EXPECT_EQ(reg.readDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\ALPS\\Rdw70\\Map", "Level"),
              4000000000u);
    EXPECT_FALSE(reg.readDword(appPaths, "Path").has_value()) << "a text is not a number";
    EXPECT_TRUE(reg.keyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\ALPS\\"));
    EXPECT_EQ(reg.subKeys("HKEY_LOCAL_MACHINE\\SOFTWARE\\ALPS"), std::vector<std::string>{"Rdw70"});

    ASSERT_TRUE(reg.deleteKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\ALPS"));
    EXPECT_FALSE(Registry().keyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\ALPS\\Rdw70\\Map"));
    EXPECT_TRUE(Registry().keyExists(appPaths));
}

TEST(Registry, UnwritableFileIsReported) {
    test::TempFolders t;
    std::ofstream(t.scratch() / "file") << "x";
    Registry reg(t.scratch() / "file" / "registry.ini");
    EXPECT_FALSE(reg.writeDword("HKEY_CURRENT_USER\\X", "V", 1));
}

} // namespace
} // namespace kanata

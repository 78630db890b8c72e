// The login autostart entry: what the desktop reads, and its removal.
#include "platform/LoginAutostart.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

TEST(LoginAutostart, ProgramPathIsOneQuotedArgumentOfExec) {
    const LoginAutostart autostart("/unused", "/opt/My Apps/$HOME`x`/a\"b\\c/kanata195");
    // Quoted for the command line, then escaped again as a string value.
    EXPECT_NE(autostart.entryText().find(
                  "\nExec=\"/opt/My Apps/\\\\$HOME\\\\`x\\\\`/a\\\\\"b\\\\\\\\c/kanata195\"\n"),
              std::string::npos)
        << autostart.entryText();
}

TEST(LoginAutostart, OnWritesTheEntryInANewFolderAndOffRemovesIt) {
    TempFolders folders;
    const auto entry = folders.configHome() / "autostart" / "kanata195.desktop";
    EXPECT_EQ(LoginAutostart::defaultEntry(), entry);
    const LoginAutostart autostart(entry, "/usr/lib/kanata195/kanata195");
    EXPECT_FALSE(autostart.enabled());
    EXPECT_FALSE(autostart.set(false)); // nothing to remove is no failure
    ASSERT_FALSE(autostart.set(true));
    EXPECT_TRUE(autostart.enabled());
    EXPECT_EQ(readFile(entry), autostart.entryText());
    ASSERT_FALSE(autostart.set(false));
    EXPECT_FALSE(autostart.enabled());
    EXPECT_FALSE(std::filesystem::exists(entry));
}

} // namespace
} // namespace kanata::test

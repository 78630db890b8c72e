// The Debian package an office installs: built from this build tree with
// cpack, checked by lintian, unpacked into a private root, and the unpacked
// program taking a call from the unpacked ktcall.
#include "tests/support/FileHelpers.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolders.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>

namespace kanata::test {
namespace {
namespace fs = std::filesystem;

struct Finished {
    bool ok = false;
    QString output;
};

// Runs a command to its end (at most `seconds`), its two streams together.
Finished run(const QString& program, const QStringList& arguments, int seconds) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(seconds * 1000);
    Finished result;
    result.output = QString::fromUtf8(process.readAll());
    result.ok = ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return result;
}

QString q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

void expectInstalledLayout(const fs::path& deb) {
    const QString listing = run("dpkg-deb", {"--contents", q(deb)}, 60).output;
    for (const char* path :
         {"./usr/lib/kanata195/kanata195", "./usr/lib/kanata195/KTComm3.so",
          "./usr/lib/kanata195/Dic/", "./usr/bin/kanata195 -> ../lib/kanata195/kanata195",
          "./usr/bin/kanata-cli -> ../lib/kanata195/kanata-cli",
          "./usr/share/applications/kanata195.desktop",
          "./usr/share/icons/hicolor/scalable/apps/kanata195.svg",
          "./usr/share/metainfo/jp.tenko.kanata195.metainfo.xml",
          "./usr/share/man/man1/kanata-cli.1.gz", "./usr/share/man/man1/ktcall.1.gz",
          "./usr/share/doc/kanata195/copyright"})
        EXPECT_TRUE(listing.contains(QString::fromUtf8(path))) << path;
    // dpkg-shlibdeps found the libraries the binaries link.
    const QString depends = run("dpkg-deb", {"--field", q(deb), "Depends"}, 30).output;
    EXPECT_TRUE(depends.contains("libqt6widgets6")) << depends.toStdString();
    EXPECT_TRUE(depends.contains("libsqlite3-0")) << depends.toStdString();
}

void expectUnpackedProgramStoresACall(const fs::path& deb, const fs::path& root) {
    fs::create_directories(root);
    const Finished unpacked = run("dpkg-deb", {"-x", q(deb), q(root)}, 120);
    ASSERT_TRUE(unpacked.ok) << unpacked.output.toStdString();
    EXPECT_EQ(fs::canonical(root / "usr/bin/kanata195"),
              fs::canonical(root / "usr/lib/kanata195/kanata195"));

    TempFolders folders;
    ProgramRun program(folders, root / "usr/lib/kanata195");
    ASSERT_TRUE(program.prepareDemo());
    ASSERT_TRUE(program.start()) << program.log().toStdString();
    ASSERT_EQ(program.ktcall({"0312345678"}), 0);
    const auto rows = waitForRows(folders.workFolder() / "Data", 1);
    ASSERT_EQ(rows.size(), 1u) << program.log().toStdString();
    EXPECT_EQ(rows[0].Tel, "03-1234-5678");
    EXPECT_TRUE(program.stop()) << program.log().toStdString();
}

// One package for every check: building it takes about a minute.
TEST(DebianPackage, BuildsCleanHoldsTheLayoutAndItsProgramStoresACall) {
    TempFolders folders;
    const fs::path build = stageFolder().parent_path();
    const fs::path out = folders.scratch() / "package";
    const Finished built =
        run("cpack", {"--config", q(build / "CPackConfig.cmake"), "-G", "DEB", "-B", q(out)}, 240);
    ASSERT_TRUE(built.ok) << built.output.toStdString();
    const QString arch = run("dpkg", {"--print-architecture"}, 10).output.trimmed();
    const fs::path deb =
        out / ("kanata195_" KANATA_PACKAGE_VERSION "_" + arch.toStdString() + ".deb");
    ASSERT_TRUE(fs::exists(deb)) << built.output.toStdString();

    const Finished lintian = run("lintian", {"--fail-on", "error", q(deb)}, 240);
    EXPECT_TRUE(lintian.ok) << lintian.output.toStdString();
    expectInstalledLayout(deb);
    expectUnpackedProgramStoresACall(deb, folders.scratch() / "root");
}

} // namespace
} // namespace kanata::test

// A roster exported with all 28 items by kanata-cli export and imported into
// an empty data folder by kanata-cli import, which assigns the columns by
// their header names: every field the import takes comes back as it was.
// What does not: the coordinates and the KAJO code (no export item carries
// them), the update time (the import stamps its own), and a second number
// without a first (the import moves it into the first place). A record as
// wide as the editors let anyone make it comes back too.
#include "roster/ExtLinkList.h"
#include "settings/IniFile.h"
#include "settings/WorkFolders.h"
#include "tests/export/ExportFixture.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/RosterEntry.h"
#include "views/ShownFields.h"

#include <QProcess>

namespace kanata::test {
namespace {

int runCli(const QStringList& arguments, QString* errors = nullptr,
           const std::filesystem::path& program = stageFolder() / "kanata-cli",
           const QByteArray& input = {}, const std::filesystem::path& folder = {}) {
    QProcess tool;
    if (!folder.empty())
        tool.setWorkingDirectory(QString::fromStdString(folder.string()));
    tool.start(QString::fromStdString(program.string()), arguments);
    tool.write(input);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(120000))
        return -1;
    if (errors)
        *errors = QString::fromUtf8(tool.readAllStandardError());
    return tool.exitCode();
}

QString qs(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

MeiboRow record(const char* tel1, const char* tel2, const char* pos, const char* corp,
                const char* name, const char* privCorp, const char* memo, int msg) {
    MeiboRow r = RosterEntry(tel1, tel2);
    r.Pos = pos;
    r.Tdfkn = "東京都";
    r.Adrs1 = "千代田区";
    r.Adrs2 = "丸の内１－１";
    r.Adrs3 = "丸の内ビル　３階";
    r.JisCode = "13101";
    r.CorpKana = "ﾄｳﾄﾌﾞｯｻﾝ";
    r.CorpKanji = corp;
    r.NameKana = "ﾀｶﾊｼ";
    r.NameKanji = name;
    r.PrivCorp = privCorp;
    r.Memo1 = memo;
    r.Memo2 = "二";
    r.Memo3 = "三";
    r.EMail = "takahashi@example.com";
    r.Rank = "A";
    r.Msg = msg;
    r.Msg1 = msg ? "至急折り返し" : "";
    r.Msg2 = msg ? "担当：高橋" : "";
    r.BGColor = msg ? "FF8080" : "";
    r.ExtLink = "https://example.com/a";
    r.Note = "一行目\r\n二行目";
    return r;
}

std::string repeated(const char* text, std::size_t times) {
    std::string all;
    for (std::size_t i = 0; i < times; ++i)
        all += text;
    return all;
}

// Every text at its size: the longest line the export writes of a record.
MeiboRow widest() {
    MeiboRow r = record("03-9999-0000", "090-9999-0000", "1000005", "", "", "1", "", 1);
    r.Adrs2 = repeated("丸", 50);
    r.Adrs3 = repeated("内", 58);
    r.CorpKanji = repeated("商", 56);
    r.Memo1 = r.Memo2 = r.Memo3 = repeated("メ", 50);
    r.Msg1 = r.Msg2 = repeated("急", 16);
    r.ExtLink = "/srv/" + std::string(ExtLinkList::kMaxBytes - 7, 'l');
    const std::vector<std::string> note(kMaxNoteBytes / 100, repeated("備", 49));
    r.Note = JoinLines(note);
    return r;
}

TEST_F(ExportFixture, RosterSurvivesExportAndImportWithHeaderAssignment) {
    addCaller(record("03-1234-5678", "090-1111-2222", "1000005", "東都物産株式会社", "高橋一郎",
                     "1", "見積, 至急", 1));
    addCaller(record("0466-12-3456", "", "25100", "", "鈴木花子", "0", "", 0));
    addCaller(record("", "06-6123-4567", "", "大阪精機", "", "1", "\"引用\"付き", 1));
    addCaller(record("0120-123-456", "", "1234567", "ｻﾎﾟｰﾄ", "", "0", "半角ｶﾅ", 0));
    MeiboRow placed = record("03-5555-0000", "", "1000001", "皇居前商店", "", "1", "", 0);
    placed.Latitude = 128'277'000;
    placed.Longitude = 503'165'000;
    placed.KajoCode = "101001";
    addCaller(placed);
    addCaller(widest());
    const std::vector<MeiboRow> before = dm.Meibo().read({});
    dm.CloseMeibo();
    dm.CloseRecvHis();

    // Quoted columns, so that a comma inside a memo stays in its column.
    std::filesystem::create_directories(folders.workFolder());
    IniFile ini(folders.workFolder() / kSettingsFileName);
    ini.load();
    ini.writeBool("FILE EXPORT", "BindDblQuote", true);
    ASSERT_TRUE(ini.save());

    const auto file = folders.scratch() / "Meibo.csv";
    QString errors;
    ASSERT_EQ(runCli({"export", "--roster", qs(file), "--data", qs(dataFolder)}, &errors), 0)
        << errors.toStdString();
    // Every data folder meets the same tables on a server: the import's
    // store is empty when the exported rows are gone from it.
    if (OnServer()) {
        ASSERT_TRUE(dm.OpenMeibo());
        for (const MeiboRow& row : before)
            ASSERT_TRUE(dm.Meibo().remove(row.RecNo));
        dm.CloseMeibo();
    }
    const auto empty = folders.scratch() / "Empty";
    std::filesystem::create_directories(empty);
    ASSERT_EQ(
        runCli({"import", "--roster", qs(file), "--data", qs(empty), "--no-supplement"}, &errors),
        0)
        << errors.toStdString();

    TDMKanata195 other(empty, messages);
    ASSERT_TRUE(other.OpenMeibo());
    const std::vector<MeiboRow> after = other.Meibo().read({});
    other.CloseMeibo();
    ASSERT_TRUE(dm.OpenMeibo());
    ASSERT_TRUE(dm.OpenRecvHis());
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        const MeiboRow& a = before[i];
        const MeiboRow& b = after[i];
        SCOPED_TRACE(i);
        if (a.SchTel1.empty()) {
            EXPECT_EQ(b.SchTel1, a.SchTel2);
            EXPECT_EQ(b.Tel1, a.Tel2);
            EXPECT_EQ(b.SchTel2, "");
        } else {
            EXPECT_EQ(b.SchTel1, a.SchTel1);
            EXPECT_EQ(b.Tel1, a.Tel1);
            EXPECT_EQ(b.SchTel2, a.SchTel2);
            EXPECT_EQ(b.Tel2, a.Tel2);
        }
        EXPECT_EQ(b.Pos, a.Pos);
        EXPECT_EQ(b.Tdfkn, a.Tdfkn);
        EXPECT_EQ(b.Adrs1, a.Adrs1);
        EXPECT_EQ(b.Adrs2, a.Adrs2);
        EXPECT_EQ(b.Adrs3, a.Adrs3);
        EXPECT_EQ(b.JisCode, a.JisCode);
        EXPECT_EQ(b.CorpKana, a.CorpKana);
        EXPECT_EQ(b.CorpKanji, a.CorpKanji);
        EXPECT_EQ(b.NameKana, a.NameKana);
        EXPECT_EQ(b.NameKanji, a.NameKanji);
        EXPECT_EQ(b.PrivCorp, a.PrivCorp);
        EXPECT_EQ(b.Memo1, a.Memo1);
        EXPECT_EQ(b.Memo2, a.Memo2);
        EXPECT_EQ(b.Memo3, a.Memo3);
        EXPECT_EQ(b.EMail, a.EMail);
        EXPECT_EQ(b.Rank, a.Rank);
        EXPECT_EQ(b.Msg, a.Msg);
        EXPECT_EQ(b.Msg1, a.Msg1);
        EXPECT_EQ(b.Msg2, a.Msg2);
        EXPECT_EQ(b.BGColor, a.BGColor);
        EXPECT_EQ(b.ExtLink, a.ExtLink);
        EXPECT_EQ(b.Note, a.Note);
        EXPECT_EQ(b.AddDateTime, TruncateToSeconds(a.AddDateTime));
        EXPECT_GE(b.UpdDateTime, a.UpdDateTime);
        EXPECT_EQ(b.Latitude, 0);
        EXPECT_EQ(b.Longitude, 0);
        EXPECT_EQ(b.KajoCode, "");
    }
}

TEST_F(ExportFixture, CommandLineEncryptionWritesOnlyTheSelfExtractingFile) {
    addCall("0312345678", At(2026, 7, 1, 8, 30, 0), "東都物産", "高橋");
    addCall("P", At(2026, 7, 2, 9, 0, 0));
    dm.CloseMeibo();
    dm.CloseRecvHis();
    const auto out = folders.scratch() / "calls.csv";
    QString errors;
    EXPECT_EQ(runCli({"export", "--history", qs(out), "--encrypt", "--data", qs(dataFolder)},
                     &errors, stageFolder() / "kanata-cli", "short\n"),
              2);
    EXPECT_TRUE(errors.contains(QStringLiteral("8文字～16文字"))) << errors.toStdString();
    ASSERT_EQ(runCli({"export", "--history", qs(out), "--encrypt", "--data", qs(dataFolder)},
                     &errors, stageFolder() / "kanata-cli", "CliPass2026\n"),
              0)
        << errors.toStdString();
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(std::filesystem::exists(folders.scratch() / "Encrypt.Tmp"));
    const auto plain = folders.scratch() / "plain.csv";
    ASSERT_EQ(runCli({"export", "--history", qs(plain), "--data", qs(dataFolder)}), 0);

    const auto restore = folders.scratch() / "restore";
    std::filesystem::create_directories(restore);
    ASSERT_EQ(runCli({}, &errors, folders.scratch() / "calls.exe", "CliPass2026\n", restore), 0)
        << errors.toStdString();
    EXPECT_EQ(ReadBytes(restore / "calls.csv"), ReadBytes(plain));
    EXPECT_EQ(TextLines(ReadBytes(plain)).size(), 3u);
    ASSERT_TRUE(dm.OpenMeibo());
    ASSERT_TRUE(dm.OpenRecvHis());
}

TEST_F(ExportFixture, CommandLineEncryptionToAnExeNameRestoresTextBesideTheExtractor) {
    addCall("0312345678", At(2026, 7, 1, 8, 30, 0), "東都物産", "高橋");
    dm.CloseMeibo();
    dm.CloseRecvHis();
    const auto exe = folders.scratch() / "Meibo.exe";
    QString errors;
    ASSERT_EQ(runCli({"export", "--history", qs(exe), "--encrypt", "--data", qs(dataFolder)},
                     &errors, stageFolder() / "kanata-cli", "CliPass2026\n"),
              0)
        << errors.toStdString();
    const std::string extractor = ReadBytes(exe);
    // Run where it lies: the text must not take the extractor's place.
    ASSERT_EQ(runCli({}, &errors, exe, "CliPass2026\n", folders.scratch()), 0)
        << errors.toStdString();
    EXPECT_EQ(ReadBytes(exe), extractor);
    EXPECT_EQ(TextLines(ReadBytes(folders.scratch() / "Meibo.txt")).size(), 2u);
    ASSERT_TRUE(dm.OpenMeibo());
    ASSERT_TRUE(dm.OpenRecvHis());
}

} // namespace
} // namespace kanata::test

// The settings dialog's checks and choices, without the window.
#include "environment/EnvironmentModel.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>

namespace kanata::test {
namespace {

AdapterModel model(std::int32_t id, int portType, int history = 0, int dial = 0) {
    return {id, "機種" + std::to_string(id), history, dial, portType};
}

class EnvironmentChecks : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    GlobalSettings current;
    AdapterCatalog catalog;
    std::vector<std::string> probed;
    bool portFree = true;
    PhonebookEditionState edition;
    std::filesystem::path mounts;

    void SetUp() override {
        std::filesystem::create_directories(folders.scratch() / "Data");
        current.UseType = 0;
        current.Adapter = 800;
        current.Port = "COM1";
        current.DataPath = (folders.scratch() / "Data").string() + "/";
        current.SelectItem1 = "内容";
        current.SelectItem2 = "メモ";
        current.SelectItem3 = "受付";
        catalog.analog = {model(800, KT_PORT_COM, 0, 1), model(801, KT_PORT_USB, 30),
                          model(802, KT_PORT_TAPI)};
        catalog.optical = {model(901, KT_PORT_COM, 10)};
        mounts = folders.scratch() / "mounts";
        std::ofstream(mounts) << "/dev/sda1 / ext4 rw 0 0\n"
                                 "server:/share /srv/nfs nfs4 rw 0 0\n";
    }

    EnvironmentModel make(bool startup = false) {
        EnvironmentServices services;
        services.probePort = [this](const std::string& port) {
            probed.push_back(port);
            return portFree;
        };
        services.wait = [](std::chrono::milliseconds) {};
        services.mountsFile = mounts;
        services.phonebookEdition = [this](int) { return edition; };
        return EnvironmentModel(current, catalog, startup, messages, services);
    }
};

TEST_F(EnvironmentChecks, UnchangedSettingsPassWithoutProbingThePort) {
    auto env = make();
    EXPECT_FALSE(env.validate().has_value());
    EXPECT_TRUE(probed.empty());
    EXPECT_FALSE(env.adapterSettingsChanged());
}

TEST_F(EnvironmentChecks, ModelChoiceMovesThePortAndBackAgain) {
    auto env = make();
    env.chooseModel(801);
    EXPECT_EQ(env.settings().Port, "USB");
    EXPECT_TRUE(env.historyFunction());
    EXPECT_FALSE(env.dialFunction());
    env.chooseModel(802);
    EXPECT_EQ(env.settings().Port, "TAPI制御");
    env.chooseModel(800);
    EXPECT_EQ(env.settings().Port, "COM1"); // the port stored when the dialog opened
    EXPECT_TRUE(env.dialFunction());
    EXPECT_FALSE(env.historyFunction());
}

TEST_F(EnvironmentChecks, PortThatDoesNotFitTheModelIsRefused) {
    struct Case {
        std::int32_t kind;
        const char* port;
        const char* message;
    };
    for (const Case& c : {Case{800, "USB", "COMポートを指定してください"},
                          Case{801, "COM2", "USBポートを指定してください"},
                          Case{802, "USB", "TAPI制御を指定してください"}}) {
        auto env = make();
        env.chooseModel(c.kind);
        env.choosePort(c.port);
        messages.expect(c.message);
        const auto refused = env.validate();
        ASSERT_TRUE(refused.has_value()) << c.kind;
        EXPECT_EQ(refused->page, EnvironmentPage::General);
        EXPECT_EQ(refused->field, EnvironmentField::Port);
    }
    EXPECT_TRUE(probed.empty());
}

TEST_F(EnvironmentChecks, ChangedComPortIsProbedAndABusyOneRefused) {
    auto env = make();
    env.choosePort("COM3");
    portFree = false;
    messages.expect("指定したCOMポートは使用できません");
    ASSERT_TRUE(env.validate().has_value());
    EXPECT_EQ(probed, std::vector<std::string>{"COM3"});
    portFree = true;
    EXPECT_FALSE(env.validate().has_value());
    EXPECT_TRUE(env.adapterSettingsChanged());
}

TEST_F(EnvironmentChecks, StartupProbesEvenAnUnchangedPort) {
    auto env = make(true);
    EXPECT_FALSE(env.validate().has_value());
    EXPECT_EQ(probed, std::vector<std::string>{"COM1"});
}

TEST_F(EnvironmentChecks, NoAdapterStoresTypeTwoAndModelZero) {
    auto env = make();
    env.chooseLineType(LineType::None);
    EXPECT_TRUE(env.models(LineType::None).empty());
    EXPECT_FALSE(env.validate().has_value());
    EXPECT_EQ(env.settings().UseType, 2);
    EXPECT_EQ(env.settings().Adapter, 0);
    // Back on the stored line type the stored model returns.
    env.chooseLineType(LineType::Analog);
    EXPECT_EQ(env.settings().Adapter, 800);
    env.chooseLineType(LineType::Optical);
    EXPECT_EQ(env.settings().Adapter, 0);
}

TEST_F(EnvironmentChecks, OpticalListFollowsTheSwitchesAndTheLibraryVersion) {
    const std::vector<AdapterModel> listed{model(241, 0), model(256, 0), model(259, 0),
                                           model(901, 0)};
    auto ids = [](const std::vector<AdapterModel>& models) {
        std::vector<std::int32_t> out;
        for (const auto& m : models)
            out.push_back(m.kindId);
        return out;
    };
    EXPECT_EQ(ids(OfferedOpticalModels(listed, 0x01000002, false, false)),
              (std::vector<std::int32_t>{901}));
    EXPECT_EQ(ids(OfferedOpticalModels(listed, 0x01000003, true, true)),
              (std::vector<std::int32_t>{241, 256, 259, 901, 226, 227}));
}

TEST_F(EnvironmentChecks, IcomModelInTheAnalogListMovesToTheOpticalList) {
    catalog.analog.push_back({5, "アイコム VE-IG1", 0, 0, KT_PORT_COM});
    catalog.opticalVersion = 0x01000003;
    catalog.optical = OfferedOpticalModels(catalog.optical, catalog.opticalVersion, false, false);
    auto env = make();
    messages.expect("「アイコム VE-IG1」はINS64回線対応機器ですが");
    EXPECT_EQ(env.chooseModel(5), LineType::Optical);
    EXPECT_EQ(env.settings().UseType, 1);
    EXPECT_EQ(env.settings().Adapter, kIcomIsdnKindId);
}

TEST_F(EnvironmentChecks, DataFolderRefusals) {
    struct Case {
        std::string path;
        const char* message;
    };
    for (const Case& c :
         {Case{"", "フォルダーを指定してください"}, Case{"Data", "指定したフォルダーは無効です"},
          Case{"/srv/nfs/kanata", "リムーバブルドライブを指定してください"}}) {
        auto env = make();
        env.settings().DataPath = c.path;
        messages.expect(c.message);
        const auto refused = env.validate();
        ASSERT_TRUE(refused.has_value()) << c.path;
        EXPECT_EQ(refused->field, EnvironmentField::DataPath);
    }
}

TEST_F(EnvironmentChecks, MissingDataFolderIsCreatedOnlyWhenTheUserAgrees) {
    const auto missing = folders.scratch() / "新しい" / "データ";
    {
        auto env = make();
        env.settings().DataPath = missing.string();
        messages.expect("指定したフォルダーが見つかりません", MessageResult::No);
        EXPECT_TRUE(env.validate().has_value());
        EXPECT_FALSE(std::filesystem::exists(missing));
    }
    auto env = make();
    env.settings().DataPath = missing.string();
    messages.expect("作成してもよろしいですか", MessageResult::Yes);
    EXPECT_FALSE(env.validate().has_value());
    EXPECT_TRUE(std::filesystem::is_directory(missing));
    EXPECT_EQ(env.settings().DataPath, missing.string() + "/");

    // A file in the way cannot become the folder.
    std::ofstream(folders.scratch() / "file") << "x";
    auto blocked = make();
    blocked.settings().DataPath = (folders.scratch() / "file" / "sub").string();
    messages.expect("指定したフォルダーが見つかりません", MessageResult::Yes)
        .expect("フォルダーが作成できませんでした");
    EXPECT_TRUE(blocked.validate().has_value());
}

TEST_F(EnvironmentChecks, RingSoundAndCaptionsAreCheckedOnTheirPages) {
    auto env = make();
    env.settings().RingSound = true;
    env.settings().WaveFile = (folders.scratch() / "none.wav").string();
    messages.expect("指定したWaveファイルが見つかりません");
    auto refused = env.validate();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->page, EnvironmentPage::Operation);

    env.settings().RingSound = false;
    env.settings().SelectItem2 = "  ";
    messages.expect("選択項目名称が未入力です");
    refused = env.validate();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->page, EnvironmentPage::Screen);
    EXPECT_EQ(refused->field, EnvironmentField::SelectItem2);
}

TEST_F(EnvironmentChecks, PhonebookLinkNeedsAnInstalledEditionAndItsBook) {
    auto env = make();
    env.settings().UsePbAdrs = true;
    messages.expect("指定の番号名鑑がインストールされていないか");
    EXPECT_EQ(env.validate()->field, EnvironmentField::PbSeries);

    edition = {true, {"営業部", "本社"}};
    env.chooseAddressBook(-1);
    messages.expect("アドレス帳を選択してください");
    EXPECT_EQ(env.validate()->field, EnvironmentField::PbAdrsBook);

    env.chooseAddressBook(1);
    EXPECT_EQ(env.settings().PbAdrsBookName, "本社");
    edition = {true, {"営業部"}}; // the book went away meanwhile
    messages.expect("指定の番号名鑑のアドレス帳がみつかりません");
    EXPECT_EQ(env.validate()->field, EnvironmentField::PbAdrsBook);

    edition = {true, {"営業部", "本社"}};
    env.settings().Line2 = env.settings().Memo1;
    messages.expect("キーワードは重複して指定できません");
    EXPECT_EQ(env.validate()->field, EnvironmentField::Keywords);

    env.settings().Line2 = 4;
    EXPECT_FALSE(env.validate().has_value());
    EXPECT_EQ(env.settings().PbAdrsBook, 1);
}

TEST_F(EnvironmentChecks, ChecksRunInOrderAndStopAtTheFirst) {
    auto env = make();
    env.chooseModel(801);
    env.choosePort("COM1");
    env.settings().DataPath.clear();
    env.settings().SelectItem1.clear();
    messages.expect("USBポートを指定してください");
    EXPECT_EQ(env.validate()->field, EnvironmentField::Port);
    EXPECT_TRUE(messages.allAnswered());
}

TEST(EnvironmentNumbers, GenerationWarningNamesTheFirstDroppedGeneration) {
    const auto several = EnvironmentModel::GenerationWarning(5, 3);
    ASSERT_TRUE(several);
    EXPECT_EQ((*several)[2], "4 世代目以降のバックアップデータ");
    const auto one = EnvironmentModel::GenerationWarning(5, 4);
    ASSERT_TRUE(one);
    EXPECT_EQ((*one)[2], "5 世代目のバックアップデータ");
    EXPECT_FALSE(EnvironmentModel::GenerationWarning(5, 6));
    EXPECT_FALSE(EnvironmentModel::GenerationWarning(1, 1));
}

TEST(EnvironmentPortProbe, FreeTerminalPassesAndAHeldOneFails) {
    TempFolders folders;
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    setenv("KANATA_COM7", name, 1);
    EXPECT_TRUE(ProbeComPort("COM7"));
    // Another program holds the port the way the adapter library does.
    const int holder = ::open(name, O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(ProbeComPort("COM7"));
    ::close(holder);
    EXPECT_TRUE(ProbeComPort("COM7"));

    setenv("KANATA_COM7", (folders.scratch() / "no-such-port").c_str(), 1);
    EXPECT_FALSE(ProbeComPort("COM7"));
    unsetenv("KANATA_COM7");
    ::close(slave);
    ::close(master);
}

TEST(EnvironmentPortList, NineComPortsThenUsbAndTapi) {
    const auto& ports = EnvironmentPorts();
    ASSERT_EQ(ports.size(), 11u);
    EXPECT_EQ(ports.front(), "COM1");
    EXPECT_EQ(ports[8], "COM9");
    EXPECT_EQ(ports[9], "USB");
    EXPECT_EQ(ports[10], "TAPI制御");
    EXPECT_FALSE(ProbeComPort("USB"));
}

} // namespace
} // namespace kanata::test

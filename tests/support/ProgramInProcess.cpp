#include "tests/support/ProgramInProcess.h"

#include "tests/support/UserInput.h"

namespace kanata::test {

void ProgramInProcess::TearDown() {
    if (form)
        form->setAskOnClose(false);
    program.reset();
    form.reset();
}

bool ProgramInProcess::start(const std::filesystem::path& appFolder) {
    form = std::make_unique<TMainForm>(flags, messages, MainWindowOptions{});
    form->setTrayAvailable(false);
    QObject::connect(form.get(), &TMainForm::closed, [this] { closed = true; });
    program =
        std::make_unique<KanataProgram>(*form, flags, messages, appFolder, folders.workFolder());
    program->dialogs().runEnvironment = answerSettings ? answerSettings : [](QDialog&) {
        ADD_FAILURE() << "the settings dialog opened";
        return false;
    };
    if (configure)
        configure(program->dialogs());
    waitUntil([this] { return flags.ReadyForCalls || closed; });
    // A close is posted; let it arrive.
    waitUntil([this] { return closed; }, flags.ReadyForCalls ? 0 : 2000);
    return flags.ReadyForCalls && !closed;
}

void ProgramInProcess::editSettings(const std::function<void(IniFile&)>& edit) {
    std::filesystem::create_directories(folders.workFolder());
    IniFile ini = settingsFile();
    edit(ini);
    ASSERT_TRUE(ini.save());
}

IniFile ProgramInProcess::settingsFile() const {
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.load();
    return ini;
}

void ProgramInProcess::startOnDemoData() {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_TRUE(start());
}

} // namespace kanata::test

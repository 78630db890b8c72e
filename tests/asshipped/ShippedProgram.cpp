#include "tests/asshipped/ShippedProgram.h"

#include "tests/support/UserInput.h"

#include <QProcess>
#include <QToolBar>

namespace kanata::test {

void ShippedProgram::SetUp() {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
}

void ShippedProgram::TearDown() {
    if (form)
        form->setAskOnClose(false);
    endProgram();
}

void ShippedProgram::editSettings(const std::function<void(IniFile&)>& edit) {
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.load();
    edit(ini);
    ASSERT_TRUE(ini.save());
}

IniFile ShippedProgram::settingsFile() const {
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.load();
    return ini;
}

bool ShippedProgram::start(const std::function<void(TMainForm&)>& beforeStartup) {
    form = std::make_unique<TMainForm>(flags, messages, MainWindowOptions{});
    if (beforeStartup)
        beforeStartup(*form);
    QObject::connect(form.get(), &TMainForm::closed, [this] { closed = true; });
    program = std::make_unique<KanataProgram>(*form, flags, messages, stageFolder(),
                                              folders.workFolder());
    waitUntil([this] { return flags.ReadyForCalls || closed; });
    return flags.ReadyForCalls && !closed;
}

void ShippedProgram::endProgram() {
    program.reset();
    form.reset();
}

int ShippedProgram::runTool(const char* name, const QStringList& arguments,
                            const QByteArray& input) {
    QProcess tool;
    tool.start(QString::fromStdString((stageFolder() / name).string()), arguments);
    tool.write(input);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(60000))
        return -1;
    return tool.exitCode();
}

void ShippedProgram::clickToolButton(int index) {
    click(form->toolBar()->widgetForAction(form->toolAction(index)));
}

} // namespace kanata::test

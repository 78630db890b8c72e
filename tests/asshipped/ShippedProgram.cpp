#include "tests/asshipped/ShippedProgram.h"

#include "tests/support/UserInput.h"

#include <QToolBar>

namespace kanata::test {

void ShippedProgram::SetUp() {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
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

void ShippedProgram::clickToolButton(int index) {
    click(form->toolBar()->widgetForAction(form->toolAction(index)));
}

} // namespace kanata::test

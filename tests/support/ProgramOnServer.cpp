#include "tests/support/ProgramOnServer.h"

#include "data/RecvHisTable.h"
#include "tests/support/ProgramRunOnServer.h"
#include "tests/support/UserInput.h"

#include <QLabel>

namespace kanata::test {

void ProgramOnServer::prepareDemoOn(const sql::ServerSettings& database, Role role) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    UseServer(folders.workFolder(), database, role == Role::Desk ? 2 : -1);
}

void ProgramOnServer::startOn(const sql::ServerSettings& database, Role role) {
    ASSERT_NO_FATAL_FAILURE(prepareDemoOn(database, role));
    ASSERT_TRUE(start());
}

void ProgramOnServer::call(const QString& number) {
    ASSERT_EQ(runTool("ktcall", {number}), 0);
}

bool ProgramOnServer::redLineShown() const {
    QLabel* line = form->serverStatusLabel();
    return line && line->isVisible() && line->text() == QStringLiteral("サーバーに接続できません");
}

std::int64_t ProgramOnOwnServer::storedCalls() {
    RecvHisTable table;
    table.open(store, folders.scratch());
    return table.count();
}

} // namespace kanata::test

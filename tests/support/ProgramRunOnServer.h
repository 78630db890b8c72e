#pragma once
// The real program started as a child process (ProgramRun) with its tables
// on a server: its settings file pointed there, and calls sent in bursts.
#include "data/StoreSettings.h"
#include "tests/support/ProgramRun.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <vector>

namespace kanata::test {

// Points the settings of `workFolder` at tables on `server` (before the
// program starts); `useType` is written unless negative (2: a desk, without
// the line). Fails the test when the file cannot be saved.
void UseServer(const std::filesystem::path& workFolder, const sql::ServerSettings& server,
               int useType = -1);

// Sends `numbers` with one ktcall; those it reports accepted, in its order.
std::vector<QString> SendCalls(ProgramRun& run, const QStringList& numbers);

} // namespace kanata::test

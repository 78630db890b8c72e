#pragma once
// One PC of an office as a program of its own: the demo work folder in
// folders of its own, its tables on the server, with or without the line.
#include "data/StoreSettings.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/ProgramRunOnServer.h"
#include "tests/support/TempFolders.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <set>

namespace kanata::test {

struct OfficePc {
    OfficePc(const sql::ServerSettings& server, bool line) {
        EXPECT_TRUE(run.prepareDemo());
        UseServer(folders.workFolder(), server, line ? -1 : 2);
    }

    // The record numbers the desk's log names after `prefix`, e.g. the calls
    // it has popped up.
    std::set<int> logged(const QString& prefix, const QString& suffix = {}) {
        std::set<int> numbers;
        const QRegularExpression line(QRegularExpression::escape(prefix) + "(\\d+)" +
                                      QRegularExpression::escape(suffix));
        auto it = line.globalMatch(run.log());
        while (it.hasNext())
            numbers.insert(it.next().captured(1).toInt());
        return numbers;
    }
    std::set<int> shownCalls() { return logged("kanata195: desk shows call "); }

    TempFolders folders;
    ProgramRun run{folders, stageFolder()};
};

} // namespace kanata::test

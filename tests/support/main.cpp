// Test entry: a QApplication exists for every test (widget tests need one;
// the rest do not mind), on the offscreen platform unless told otherwise.
// KANATA_TEST_ENGINE=postgresql runs the tests' tables on a server.
#include "platform/ThreadsAtExit.h"
#include "tests/support/PostgresServer.h"

#include <QApplication>
#include <QFont>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    kanata::test::UseServerPerTestWhenAsked();
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
        result = RUN_ALL_TESTS();
    }
    // Qt's pool threads finish their clean-up after the application is gone;
    // the leak check at exit must not run in the middle of it.
    kanata::waitForOtherThreadsToEnd();
    return result;
}

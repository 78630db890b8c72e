// Test entry: a QApplication exists for every test (widget tests need one;
// the rest do not mind), on the offscreen platform unless told otherwise.
#include <QApplication>
#include <QFont>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    return RUN_ALL_TESTS();
}

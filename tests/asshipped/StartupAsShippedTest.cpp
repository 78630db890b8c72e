// The start-up password as the user gives it: typed into the dialog, which
// opens before the menu window is shown.
#include "intake/gui/TPasswordForm.h"
#include "tests/asshipped/ShippedProgram.h"
#include "tests/support/UserInput.h"

#include <QLineEdit>

namespace kanata::test {
namespace {

using StartupAsShipped = ShippedProgram;

TEST_F(StartupAsShipped, TheStartupPasswordIsTypedAndAWrongOneTriedAgain) {
    ASSERT_EQ(runTool("kanata-password", {}, "Himitsu1\n"), 0);
    int asked = 0;
    WhenModal<TPasswordForm> answer([this, &asked](TPasswordForm& dialog) {
        ++asked;
        typeInto(dialog.edtPassword, QStringLiteral("himitsu1"));
        messages.expect("パスワードが違います");
        pressKey(dialog.edtPassword, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.edtPassword->text().isEmpty());
        typeInto(dialog.edtPassword, QStringLiteral("Himitsu1"));
        pressKey(dialog.edtPassword, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    ASSERT_TRUE(start());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(messages.allAnswered());
}

} // namespace
} // namespace kanata::test

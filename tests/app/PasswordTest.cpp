#include "intake/gui/PasswordGate.h"
#include "intake/gui/TPasswordForm.h"
#include "platform/PasswordHash.h"
#include "tests/support/ScriptedMessages.h"

#include <QLineEdit>
#include <gtest/gtest.h>

namespace kanata {
namespace {

using test::ScriptedMessages;

// Few iterations keep the tests quick; the stored form records the count.
constexpr int kFast = 1000;

TEST(PasswordHash, VerifiesOnlyTheExactPassword) {
    const std::string stored = hashPassword("Secret01", kFast);
    EXPECT_EQ(stored.rfind("pbkdf2-sha256$1000$", 0), 0u);
    EXPECT_TRUE(verifyPassword("Secret01", stored));
    EXPECT_FALSE(verifyPassword("secret01", stored));
    EXPECT_FALSE(verifyPassword("Secret0", stored));
    EXPECT_FALSE(verifyPassword("", stored));
    // A fresh salt each time: equal passwords do not give equal values.
    EXPECT_NE(hashPassword("Secret01", kFast), stored);
    EXPECT_TRUE(verifyPassword("パスワード", hashPassword("パスワード", kFast)));
}

TEST(PasswordHash, EmptyMeansNoneAndDamagedNeverMatches) {
    EXPECT_FALSE(isPasswordSet(""));
    EXPECT_TRUE(isPasswordSet(hashPassword("x", kFast)));
    std::string stored = hashPassword("x", kFast);
    for (const std::string& damaged :
         {std::string("x"), std::string("pbkdf2-sha256$1000$zz$00"),
          stored.substr(0, stored.size() - 1), "md5$" + stored,
          std::string("pbkdf2-sha256$0$00112233445566778899aabbccddeeff$") + std::string(64, '0'),
          std::string("pbkdf2-sha256$999999999$00$") + std::string(64, '0')})
        EXPECT_FALSE(verifyPassword("x", damaged)) << damaged;
}

struct GateFixture : ::testing::Test {
    ScriptedMessages messages;
    std::string stored = hashPassword("Abc123", kFast);
};

TEST_F(GateFixture, EmptyWrongAndRightEntries) {
    PasswordGate gate(stored, messages);
    ASSERT_TRUE(gate.required());

    messages.expect("パスワードを入力してください", MessageResult::Ok);
    auto outcome = gate.submit("");
    EXPECT_FALSE(outcome.accepted);

    messages.expect("パスワードが違います", MessageResult::Ok);
    outcome = gate.submit("abc123");
    EXPECT_FALSE(outcome.accepted);
    EXPECT_TRUE(outcome.clearInput);

    outcome = gate.submit("Abc123");
    EXPECT_TRUE(outcome.accepted);
    EXPECT_EQ(messages.shown().size(), 2u);
}

TEST_F(GateFixture, GivingUpAsksAndNoKeepsTheDialog) {
    PasswordGate gate(stored, messages);
    messages.expect("着信帳の起動を中止します", MessageResult::No);
    EXPECT_FALSE(gate.confirmAbort());
    messages.expect("着信帳の起動を中止します", MessageResult::Yes);
    EXPECT_TRUE(gate.confirmAbort());
    EXPECT_EQ(messages.shown()[0].defaultButton, 1);
}

TEST_F(GateFixture, DialogClearsWrongEntryAndStaysOpenOnNo) {
    PasswordGate gate(stored, messages);
    TPasswordForm form(gate);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("パスワード入力"));
    EXPECT_EQ(form.edtPassword->maxLength(), 16);
    EXPECT_EQ(form.edtPassword->echoMode(), QLineEdit::Password);

    form.edtPassword->setText(QStringLiteral("wrong"));
    messages.expect("パスワードが違います", MessageResult::Ok);
    form.btnOkClick();
    EXPECT_TRUE(form.edtPassword->text().isEmpty());
    EXPECT_TRUE(form.isVisible());

    messages.expect("着信帳の起動を中止します", MessageResult::No);
    form.reject();
    EXPECT_TRUE(form.isVisible());

    form.edtPassword->setText(QStringLiteral("Abc123"));
    form.btnOkClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
}

TEST(StartupPassword, NoStoredPasswordShowsNothing) {
    ScriptedMessages messages;
    EXPECT_TRUE(askStartupPassword("", messages));
    EXPECT_TRUE(messages.shown().empty());
}

} // namespace
} // namespace kanata

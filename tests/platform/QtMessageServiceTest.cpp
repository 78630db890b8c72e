#include "platform/gui/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace kanata;

namespace {
// Looks at the box while it is open, then presses the button with `caption`.
void whenBoxOpens(const std::function<void(QMessageBox&)>& inspect, const QString& press) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspect(*box);
        for (QAbstractButton* b : box->buttons())
            if (b->text() == press)
                b->click();
    });
}
} // namespace

TEST(QtMessageService, QuestionCarriesTheCaptionIconAndNoAsDefault) {
    QtMessageService messages;
    whenBoxOpens(
        [](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), QStringLiteral("着信帳１９.５"));
            EXPECT_EQ(box.icon(), QMessageBox::Question);
            EXPECT_EQ(box.text(), QStringLiteral("削除します  \nよろしいですか？  "));
            ASSERT_NE(box.defaultButton(), nullptr);
            EXPECT_EQ(box.defaultButton()->text(), QStringLiteral("いいえ(&N)"));
        },
        QStringLiteral("はい(&Y)"));
    EXPECT_TRUE(messages.ask("削除します  \r\nよろしいですか？  "));
}

TEST(QtMessageService, ErrorHasTheStopIconAndReturnsOk) {
    QtMessageService messages;
    whenBoxOpens([](QMessageBox& box) { EXPECT_EQ(box.icon(), QMessageBox::Critical); },
                 QStringLiteral("OK"));
    MessageRequest request;
    request.text = "着信対応履歴ファイルがオープンできませんでした";
    request.icon = MessageIcon::Stop;
    EXPECT_EQ(messages.ShowCenteredMessage(request), MessageResult::Ok);
}

TEST(QtMessageService, BoxAtAScreenPointOpensThere) {
    QtMessageService messages;
    whenBoxOpens([](QMessageBox& box) { EXPECT_EQ(box.pos(), QPoint(120, 80)); },
                 QStringLiteral("OK"));
    MessageRequest request;
    request.text = "位置";
    request.placement.kind = MessagePlacement::Kind::AtPoint;
    request.placement.x = 120;
    request.placement.y = 80;
    messages.ShowCenteredMessage(request);
}

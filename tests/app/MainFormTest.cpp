#include "intake/gui/TMainForm.h"
#include "tests/support/ScriptedMessages.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace kanata {
namespace {

using test::ScriptedMessages;

struct MainFormFixture : ::testing::Test {
    IntakeFlags flags;
    ScriptedMessages messages;
    std::unique_ptr<TMainForm> form;

    void make(MainWindowOptions options = {}) {
        form = std::make_unique<TMainForm>(flags, messages, options);
        flags.PopupAllowed = true;
    }
    void TearDown() override {
        // Leaving the test must not ask anything.
        if (form)
            form->setAskOnClose(false);
        form.reset();
    }
};

struct ExpectedAction {
    QAction* TMainForm::*member;
    const char* caption;
    QKeySequence shortcut;
};

TEST_F(MainFormFixture, EveryActionHasItsCaptionAndShortCut) {
    make();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("着信帳１９.５ メニュー"));
    const ExpectedAction expectedActions[] = {
        {&TMainForm::actRecvHisList, "着信対応履歴(&R)", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {&TMainForm::actMeiboList, "登録名簿(&M)", QKeySequence(Qt::CTRL | Qt::Key_M)},
        {&TMainForm::actFileImport, "テキストファイル取り込み(&I)", {}},
        {&TMainForm::actFileExport, "テキストファイル出力(&O)", {}},
        {&TMainForm::actGetRecvHis, "着信履歴取り込み(&G)", {}},
        {&TMainForm::actListPrint, "一覧表印刷(&L)", {}},
        {&TMainForm::actEnvironment, "環境設定(&E)", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {&TMainForm::actMenuVisible, "メニューを表示する(&V)", {}},
        {&TMainForm::actMenuTopMost, "メニューを常に前面に表示する(&T)", {}},
        {&TMainForm::actUtility, "ユーティリティ(&U)", QKeySequence(Qt::CTRL | Qt::Key_U)},
        {&TMainForm::actTopic, "操作ガイド(&H)", {}},
        {&TMainForm::actInfo, "お知らせ(&I)", {}},
        {&TMainForm::actVersion, "バージョン情報(&A)", {}},
        {&TMainForm::actExit, "終了(&X)", {}},
    };
    for (const auto& expected : expectedActions) {
        QAction* action = (*form).*expected.member;
        ASSERT_NE(action, nullptr) << expected.caption;
        EXPECT_EQ(action->text(), QString::fromUtf8(expected.caption));
        EXPECT_EQ(action->shortcut(), expected.shortcut) << expected.caption;
    }

    QStringList groups;
    for (QAction* menu : form->menuBar()->actions())
        groups << menu->text();
    EXPECT_EQ(groups,
              (QStringList{QStringLiteral("一覧(&L)"), QStringLiteral("機能(&F)"),
                           QStringLiteral("オプション(&O)"), QStringLiteral("ヘルプ(&H)")}));
    const QMenu* options = form->menuBar()->actions()[2]->menu();
    EXPECT_TRUE(options->actions().contains(form->actMenuTopMost));

    const char* toolCaptions[] = {" 着信履歴 ", " 登録名簿 ", " 環境設定 ", " 終了 "};
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(form->toolAction(i), nullptr);
        EXPECT_EQ(form->toolAction(i)->text(), QString::fromUtf8(toolCaptions[i]));
        EXPECT_FALSE(form->toolAction(i)->icon().isNull());
    }
    EXPECT_EQ(form->trayMenu()->actions().last(), form->pmiTrayExit);
}

TEST_F(MainFormFixture, UnpluggedActionsSayNotReadyAndModalOnesRestorePopups) {
    make();
    QAction* actions[] = {form->actRecvHisList, form->actMeiboList,  form->actFileImport,
                          form->actFileExport,  form->actGetRecvHis, form->actListPrint,
                          form->actEnvironment, form->actUtility,    form->actTopic,
                          form->actInfo,        form->actVersion};
    for (QAction* action : actions) {
        messages.expect("この機能は現在準備中です", MessageResult::Ok);
        action->trigger();
    }
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_TRUE(flags.PopupAllowed);

    // A plugged modal action runs with pop-ups blocked, and they come back,
    // also when the window throws.
    bool popupDuringRun = true;
    form->hooks().fileImport = [&] { popupDuringRun = flags.PopupAllowed; };
    form->actFileImport->trigger();
    EXPECT_FALSE(popupDuringRun);
    EXPECT_TRUE(flags.PopupAllowed);

    form->hooks().fileExport = [] { throw std::runtime_error("出力先が開けません"); };
    messages.expect("出力先が開けません", MessageResult::Ok);
    form->actFileExport->trigger();
    EXPECT_EQ(messages.shown().back().icon, MessageIcon::Stop);
    EXPECT_TRUE(flags.PopupAllowed);

    // While an incoming call view is open, the modal windows do not open.
    bool ran = false;
    form->hooks().version = [&] { ran = true; };
    form->hooks().receiveViewOpen = [] { return true; };
    form->actVersion->trigger();
    EXPECT_FALSE(ran);
}

TEST_F(MainFormFixture, IndicatorSwitchesCaptionAndIsClearedByTheHistoryList) {
    make();
    form->showTrayIcon();
    const qint64 standKey = form->trayIcon()->icon().cacheKey();
    form->setIndicator(true);
    EXPECT_EQ(form->toolAction(0)->text(), QStringLiteral(" 着信あり "));
    EXPECT_NE(form->trayIcon()->icon().cacheKey(), standKey);

    int shown = 0;
    form->hooks().showHistoryList = [&] { ++shown; };
    form->toolAction(0)->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(form->indicator());
    EXPECT_EQ(form->toolAction(0)->text(), QStringLiteral(" 着信履歴 "));
}

TEST_F(MainFormFixture, CloseAsksAsConfigured) {
    MainWindowOptions options;
    options.CloseMsg = true;
    make(options);
    form->show();
    form->setAskOnClose(true);

    messages.expect("を終了しますか", MessageResult::No);
    EXPECT_FALSE(form->close());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.shown()[0].defaultButton, 1); // No

    bool released = false;
    form->hooks().releaseHistoryList = [&] { released = true; };
    int closedSignals = 0;
    QObject::connect(form.get(), &TMainForm::closed, [&] { ++closedSignals; });
    messages.expect("を終了しますか", MessageResult::Yes);
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(released);
    EXPECT_EQ(closedSignals, 1);
}

TEST_F(MainFormFixture, TrayExitNeverAsks) {
    MainWindowOptions options;
    options.CloseMsg = true;
    make(options);
    form->setAskOnClose(true);
    // The menu window is usually hidden when the icon's menu is used.
    int closedSignals = 0;
    QObject::connect(form.get(), &TMainForm::closed, [&] { ++closedSignals; });
    form->pmiTrayExit->trigger();
    EXPECT_EQ(closedSignals, 1);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(MainFormFixture, SessionEndAsksOnlyWithWindowsEnd) {
    MainWindowOptions options;
    options.CloseMsg = true;
    options.WindowsEnd = false;
    make(options);
    form->show();
    form->setAskOnClose(true);
    EXPECT_TRUE(form->queryEndSession());
    EXPECT_TRUE(messages.shown().empty());

    options.WindowsEnd = true;
    make(options);
    form->show();
    form->setAskOnClose(true);
    messages.expect("が起動しています", MessageResult::No);
    EXPECT_FALSE(form->queryEndSession());
    EXPECT_TRUE(form->isVisible());
    // "Windows ending" was cleared: the next close from the menu asks the
    // ordinary question.
    messages.expect("を終了しますか", MessageResult::Yes);
    EXPECT_TRUE(form->close());
}

TEST_F(MainFormFixture, CallViewRefusingToCloseKeepsTheProgram) {
    MainWindowOptions options;
    options.CloseMsg = false;
    make(options);
    form->show();
    form->setAskOnClose(true);
    bool miniAsked = false;
    bool released = false;
    form->hooks().closeMiniView = [&] { return miniAsked = true; };
    form->hooks().closeReceiveView = [] { return false; };
    form->hooks().releaseHistoryList = [&] { released = true; };
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(miniAsked);
    EXPECT_FALSE(released);
    EXPECT_TRUE(form->isVisible());

    // Escape closes the window the same way.
    form->hooks().closeReceiveView = [] { return true; };
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(released);
}

TEST_F(MainFormFixture, MenuVisibleAndTopMostToggle) {
    make();
    form->setTrayAvailable(true);
    MainWindowOptions written;
    form->hooks().optionsChanged = [&](const MainWindowOptions& o) { written = o; };

    form->applyMenuVisible(true);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->actMenuVisible->isChecked());
    EXPECT_EQ(form->actMenuVisible->text(), QStringLiteral("メニューを非表示にする(&V)"));
    form->actMenuVisible->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(written.MenuVisible);
    EXPECT_EQ(form->actMenuVisible->text(), QStringLiteral("メニューを表示する(&V)"));

    form->applyMenuVisible(true);
    const QPoint place = form->pos();
    form->actMenuTopMost->trigger();
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form->actMenuTopMost->isChecked());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->pos(), place);
    EXPECT_TRUE(written.MenuTopMost);
    form->applyMenuTopMost(false);
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainFormFixture, WithoutNotificationAreaTheMenuStaysReachable) {
    make();
    form->setTrayAvailable(false);
    form->applyMenuVisible(true);
    messages.expect("通知領域が使用できない", MessageResult::Ok);
    form->actMenuVisible->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->actMenuVisible->isChecked());
    form->actMenuVisible->trigger(); // told only once
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormFixture, CanPopUpNeedsFlagNoModalAndHistoryList) {
    make();
    EXPECT_TRUE(form->CanPopUp());
    flags.PopupAllowed = false;
    EXPECT_FALSE(form->CanPopUp());
    flags.PopupAllowed = true;
    bool historyEnabled = false;
    form->hooks().historyListEnabled = [&] { return historyEnabled; };
    EXPECT_FALSE(form->CanPopUp());
    historyEnabled = true;
    EXPECT_TRUE(form->CanPopUp());

    QDialog dialog;
    bool duringModal = true;
    QTimer::singleShot(0, &dialog, [&] {
        duringModal = form->CanPopUp();
        dialog.reject();
    });
    dialog.exec();
    EXPECT_FALSE(duringModal);

    // Double click on the icon toggles the menu only while pop-ups may run.
    form->setTrayAvailable(true);
    flags.PopupAllowed = false;
    form->trayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(form->isVisible());
    flags.PopupAllowed = true;
    form->trayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormFixture, StartupRunsOnceFromThePostedEvent) {
    make();
    int runs = 0;
    form->hooks().startup = [&] { ++runs; };
    EXPECT_EQ(runs, 0);
    QCoreApplication::sendPostedEvents(form.get());
    EXPECT_EQ(runs, 1);
    QCoreApplication::sendPostedEvents(form.get());
    EXPECT_EQ(runs, 1);
}

TEST_F(MainFormFixture, BringForwardShowsAHiddenMenu) {
    make();
    form->setTrayAvailable(true);
    EXPECT_FALSE(form->isVisible());
    form->bringForward();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->actMenuVisible->isChecked());
}

} // namespace
} // namespace kanata

#include "intake/gui/TMainForm.h"

#include "intake/gui/MenuImages.h"
#include "platform/MessageService.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QStatusBar>
#include <QTimer>

#include <QToolBar>
#include <algorithm>

namespace kanata {
namespace {

const char* const kNotReady = "この機能は現在準備中です  ";
const char* const kAskOnSessionEnd =
    "「着信帳１９.５」が起動しています  \r\n終了してもよろしいですか？  ";
const char* const kAskOnClose = "「着信帳１９.５」を終了しますか？  ";
const char* const kNoTrayNotice = "通知領域が使用できないため、メニューを表示したままにします  ";

const char* const kCaptionHide = "メニューを非表示にする(&V)";
const char* const kCaptionShow = "メニューを表示する(&V)";
const char* const kToolRecvHis = " 着信履歴 ";
const char* const kToolCallWaiting = " 着信あり ";

// The hourglass while a modal window is being built: it goes as soon as the
// window's own loop runs (or the hook returns, whichever comes first).
class WaitCursorWhileCreating {
public:
    WaitCursorWhileCreating() {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { restore(); });
        timer_.start(0);
    }
    ~WaitCursorWhileCreating() { restore(); }

private:
    void restore() {
        if (!active_)
            return;
        active_ = false;
        QApplication::restoreOverrideCursor();
    }
    QTimer timer_;
    bool active_ = true;
};

// F1 opens the manual from every window of the program; the menu window,
// whose action it is, is hidden most of the time.
class HelpKeyFilter : public QObject {
public:
    HelpKeyFilter(QAction* help, QObject* parent) : QObject(parent), help_(help) {}

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || key->isAutoRepeat())
            return false;
        help_->trigger();
        return true;
    }

private:
    QAction* help_;
};

} // namespace

TMainForm::TMainForm(IntakeFlags& flags, MessageService& messages, MainWindowOptions options,
                     QWidget* splash, QWidget* parent)
    : QMainWindow(parent), flags_(flags), messages_(messages), options_(options),
      trayAvailable_(QSystemTrayIcon::isSystemTrayAvailable()) {
    setWindowTitle(QStringLiteral("着信帳１９.５ メニュー"));
    setWindowIcon(trayPicture(TrayImage::Stand));
    createActions();
    qApp->installEventFilter(new HelpKeyFilter(actTopic, this));
    createMenus();
    createToolBar();
    createTrayMenu();
    setCentralWidget(new QWidget(this));
    centralWidget()->setFixedHeight(0);
    // As wide as the menu bar needs, as high as menu and tool bar.
    setMinimumWidth(std::max(menuBar()->sizeHint().width(), toolBar_->sizeHint().width()));
    adjustSize();
    fitHeight();

    if (qApp)
        connect(qApp, &QGuiApplication::commitDataRequest, this, &TMainForm::commitDataRequest);

    // The start-up runs once the splash has gone and the window can receive
    // events, so that its dialogs are owned by a living window.
    QPointer<QWidget> waitFor(splash);
    while (waitFor && waitFor->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::postEvent(this, new QEvent(kStartupEvent));
}

TMainForm::~TMainForm() = default;

QAction* TMainForm::newAction(const char* caption, const QKeySequence& shortcut) {
    auto* action = new QAction(QString::fromUtf8(caption), this);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

void TMainForm::createActions() {
    actRecvHisList = newAction("着信対応履歴(&R)", QKeySequence(Qt::CTRL | Qt::Key_R));
    actMeiboList = newAction("登録名簿(&M)", QKeySequence(Qt::CTRL | Qt::Key_M));
    actFileImport = newAction("テキストファイル取り込み(&I)");
    actFileExport = newAction("テキストファイル出力(&O)");
    actGetRecvHis = newAction("着信履歴取り込み(&G)");
    actListPrint = newAction("一覧表印刷(&L)");
    actEnvironment = newAction("環境設定(&E)", QKeySequence(Qt::CTRL | Qt::Key_E));
    actMenuVisible = newAction(kCaptionHide);
    actMenuTopMost = newAction("メニューを常に前面に表示する(&T)");
    actUtility = newAction("ユーティリティ(&U)", QKeySequence(Qt::CTRL | Qt::Key_U));
    actTopic = newAction("操作ガイド(&H)");
    actInfo = newAction("お知らせ(&I)");
    actVersion = newAction("バージョン情報(&A)");
    actExit = newAction("終了(&X)");
    pmiTrayExit = newAction("終了(&X)");

    actMenuVisible->setCheckable(true);
    actMenuVisible->setChecked(options_.MenuVisible);
    actMenuVisible->setText(QString::fromUtf8(options_.MenuVisible ? kCaptionHide : kCaptionShow));
    actMenuTopMost->setCheckable(true);
    actMenuTopMost->setChecked(options_.MenuTopMost);

    connect(actRecvHisList, &QAction::triggered, this, [this] { actRecvHisListExecute(); });
    connect(actMeiboList, &QAction::triggered, this, [this] { runModal(hooks_.meiboList); });
    connect(actFileImport, &QAction::triggered, this, [this] { runModal(hooks_.fileImport); });
    connect(actFileExport, &QAction::triggered, this, [this] { runModal(hooks_.fileExport); });
    connect(actGetRecvHis, &QAction::triggered, this, [this] { runModal(hooks_.getRecvHis); });
    connect(actListPrint, &QAction::triggered, this, [this] { runModal(hooks_.listPrint); });
    connect(actEnvironment, &QAction::triggered, this, [this] { runModal(hooks_.environment); });
    connect(actVersion, &QAction::triggered, this, [this] { runModal(hooks_.version); });
    connect(actUtility, &QAction::triggered, this, [this] { runHook(hooks_.utility); });
    connect(actTopic, &QAction::triggered, this, [this] { runHook(hooks_.topic); });
    connect(actInfo, &QAction::triggered, this, [this] { runHook(hooks_.info); });
    // The check mark is ours to set: the toggle decides it from the setting.
    connect(actMenuVisible, &QAction::triggered, this, [this] { actMenuVisibleExecute(); });
    connect(actMenuTopMost, &QAction::triggered, this, [this] { actMenuTopMostExecute(); });
    connect(actExit, &QAction::triggered, this, [this] { close(); });
    connect(pmiTrayExit, &QAction::triggered, this, [this] { trayExit(); });
}

void TMainForm::createMenus() {
    QMenu* list = menuBar()->addMenu(QStringLiteral("一覧(&L)"));
    list->addAction(actRecvHisList);
    list->addAction(actMeiboList);
    list->addSeparator();
    list->addAction(actExit);
    QMenu* functions = menuBar()->addMenu(QStringLiteral("機能(&F)"));
    functions->addAction(actFileImport);
    functions->addAction(actFileExport);
    functions->addAction(actGetRecvHis);
    functions->addSeparator();
    functions->addAction(actListPrint);
    QMenu* options = menuBar()->addMenu(QStringLiteral("オプション(&O)"));
    options->addAction(actEnvironment);
    options->addSeparator();
    options->addAction(actMenuVisible);
    options->addAction(actMenuTopMost);
    options->addSeparator();
    options->addAction(actUtility);
    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->addAction(actTopic);
    help->addAction(actInfo);
    help->addSeparator();
    help->addAction(actVersion);
}

void TMainForm::createToolBar() {
    toolBar_ = addToolBar(QStringLiteral("toolbar"));
    toolBar_->setObjectName(QStringLiteral("tbMain"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->toggleViewAction()->setVisible(false);
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar_->setIconSize(QSize(32, 32));

    // The tool buttons carry captions of their own but do what the actions do.
    auto mirror = [this](QAction* action, const char* caption, int image) {
        auto* button = toolBar_->addAction(toolImage(image), QString::fromUtf8(caption));
        button->setToolTip(action->text().remove(QLatin1Char('&')));
        button->setEnabled(action->isEnabled());
        connect(button, &QAction::triggered, action, &QAction::trigger);
        connect(action, &QAction::enabledChanged, button, &QAction::setEnabled);
        return button;
    };
    tbRecvHis_ = mirror(actRecvHisList, kToolRecvHis, kImageRecvHis);
    tbMeibo_ = mirror(actMeiboList, " 登録名簿 ", kImageMeibo);
    tbEnvironment_ = mirror(actEnvironment, " 環境設定 ", kImageEnvironment);
    tbExit_ = mirror(actExit, " 終了 ", kImageExit);
}

void TMainForm::createTrayMenu() {
    trayMenu_ = new QMenu(this);
    trayMenu_->addAction(actRecvHisList);
    trayMenu_->addAction(actMeiboList);
    trayMenu_->addSeparator();
    trayMenu_->addAction(actFileImport);
    trayMenu_->addAction(actFileExport);
    trayMenu_->addAction(actGetRecvHis);
    trayMenu_->addAction(actListPrint);
    trayMenu_->addSeparator();
    trayMenu_->addAction(actEnvironment);
    trayMenu_->addAction(actMenuVisible);
    trayMenu_->addAction(actMenuTopMost);
    trayMenu_->addAction(actUtility);
    trayMenu_->addSeparator();
    trayMenu_->addAction(actTopic);
    trayMenu_->addAction(actInfo);
    trayMenu_->addAction(actVersion);
    trayMenu_->addSeparator();
    trayMenu_->addAction(pmiTrayExit);
}

QAction* TMainForm::toolAction(int index) const {
    switch (index) {
    case 0:
        return tbRecvHis_;
    case 1:
        return tbMeibo_;
    case 2:
        return tbEnvironment_;
    case 3:
        return tbExit_;
    default:
        return nullptr;
    }
}

void TMainForm::runHook(const std::function<void()>& hook) {
    if (!hook) {
        messages_.information(kNotReady, this);
        return;
    }
    // Exceptions must not unwind through Qt's action code (it is built
    // without exception cleanups); they end here as an error box.
    try {
        hook();
    } catch (const std::exception& e) {
        messages_.error(std::string(e.what()) + "  ", this);
    }
}

void TMainForm::runModal(const std::function<void()>& hook) {
    if (hooks_.receiveViewOpen && hooks_.receiveViewOpen())
        return;
    if (!hook) {
        runHook(hook);
        return;
    }
    // No call may pop up over a modal task; restored however the window ends.
    struct PopupBlock {
        IntakeFlags& flags;
        bool before;
        explicit PopupBlock(IntakeFlags& f) : flags(f), before(f.PopupAllowed) {
            flags.PopupAllowed = false;
        }
        ~PopupBlock() { flags.PopupAllowed = before; }
    } block(flags_);
    WaitCursorWhileCreating hourglass;
    runHook(hook);
}

void TMainForm::actRecvHisListExecute() {
    setIndicator(false);
    runHook(hooks_.showHistoryList);
}

void TMainForm::setIndicator(bool on) {
    indicator_ = on;
    if (tray_)
        tray_->setIcon(trayPicture(on ? TrayImage::Call : TrayImage::Stand));
    tbRecvHis_->setIcon(toolImage(on ? kImageCallWaiting : kImageRecvHis));
    tbRecvHis_->setText(QString::fromUtf8(on ? kToolCallWaiting : kToolRecvHis));
}

void TMainForm::setServerUnreachable(bool unreachable) {
    if (!serverStatus_) {
        if (!unreachable)
            return;
        serverStatus_ = new QLabel(QString::fromUtf8(kServerUnreachableStatus), this);
        serverStatus_->setObjectName("serverStatus");
        serverStatus_->setStyleSheet("QLabel { color: red; font-weight: bold; }");
        statusBar()->addWidget(serverStatus_);
        statusBar()->setSizeGripEnabled(false);
    }
    serverStatus_->setVisible(unreachable);
    statusBar()->setVisible(unreachable);
    fitHeight();
}

void TMainForm::fitHeight() {
    // The height is fixed to what the window shows, so a status line that
    // comes and goes must move it, or it is drawn over the tool bar.
    layout()->activate();
    setFixedHeight(sizeHint().height());
}

void TMainForm::actMenuVisibleExecute() {
    // The toggle follows what the user sees: a menu shown for a second start
    // is hidden again by it.
    setMenuVisible(!isVisible(), true);
}

// options_.MenuVisible is the setting the user chose; the window may be shown
// without it (no notification area, a second start), and that is not stored.
void TMainForm::setMenuVisible(bool wanted, bool byUser) {
    bool visible = wanted;
    if (!visible && !trayAvailable_) {
        // Hidden with no notification area, the program could not be reached.
        visible = true;
        if (byUser && !toldNoTray_) {
            toldNoTray_ = true;
            messages_.information(kNoTrayNotice, this);
        }
    }
    options_.MenuVisible = wanted;
    showMenuState(visible);
    setVisible(visible);
    if (visible) {
        if (isMinimized())
            showNormal();
        raise();
    }
    notifyOptions();
}

void TMainForm::showMenuState(bool visible) {
    actMenuVisible->setChecked(visible);
    actMenuVisible->setText(QString::fromUtf8(visible ? kCaptionHide : kCaptionShow));
}

void TMainForm::actMenuTopMostExecute() {
    options_.MenuTopMost = !options_.MenuTopMost;
    actMenuTopMost->setChecked(options_.MenuTopMost);
    // Changing the flag re-creates the native window; keep its place.
    const bool wasVisible = isVisible();
    const QPoint place = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, options_.MenuTopMost);
    if (wasVisible) {
        move(place);
        show();
    }
    notifyOptions();
}

void TMainForm::applyMenuVisible(bool visible) {
    setMenuVisible(visible, false);
}

void TMainForm::applyMenuTopMost(bool topMost) {
    options_.MenuTopMost = !topMost;
    actMenuTopMostExecute();
}

void TMainForm::notifyOptions() {
    if (hooks_.optionsChanged)
        hooks_.optionsChanged(options_);
}

void TMainForm::showTrayIcon() {
    if (!tray_) {
        tray_ = new QSystemTrayIcon(this);
        tray_->setToolTip(QString::fromUtf8(kAppCaption));
        connect(tray_, &QSystemTrayIcon::activated, this, &TMainForm::trayActivated);
    }
    tray_->setIcon(trayPicture(indicator_ ? TrayImage::Call : TrayImage::Stand));
    if (trayAvailable_)
        tray_->show();
}

bool TMainForm::acceptsInput() const {
    // A modal window of this program blocks the others without disabling them.
    QWidget* modal = QApplication::activeModalWidget();
    return isEnabled() && (modal == nullptr || modal == this);
}

bool TMainForm::CanPopUp() const {
    if (!flags_.PopupAllowed || !acceptsInput())
        return false;
    return !hooks_.historyListEnabled || hooks_.historyListEnabled();
}

void TMainForm::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        if (CanPopUp())
            bringAllToFront();
        else if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->raise();
            modal->activateWindow();
        }
        break;
    case QSystemTrayIcon::DoubleClick:
        if (CanPopUp())
            actMenuVisible->trigger();
        break;
    case QSystemTrayIcon::Context:
        if (CanPopUp())
            trayMenu_->popup(QCursor::pos());
        break;
    default:
        break;
    }
}

void TMainForm::bringAllToFront() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget* w = *it;
        if (!w->isVisible() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip)
            continue;
        if (w->isMinimized())
            w->showNormal();
        w->raise();
    }
    if (isVisible())
        activateWindow();
}

void TMainForm::bringForward() {
    // Shown for this run only: the stored setting stays as the user chose it.
    if (!isVisible()) {
        showMenuState(true);
        show();
    }
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TMainForm::trayExit() {
    askOnClose_ = false;
    close();
}

bool TMainForm::queryEndSession() {
    windowsEnding_ = true;
    const bool closedNow = close();
    windowsEnding_ = false;
    return closedNow;
}

void TMainForm::commitDataRequest(QSessionManager& manager) {
    // Without interaction no question may be asked; the session ends anyway.
    if (!manager.allowsInteraction()) {
        askOnClose_ = false;
        close();
        return;
    }
    const bool closedNow = queryEndSession();
    manager.release();
    if (!closedNow)
        manager.cancel();
}

bool TMainForm::closeQuery() {
    if (askOnClose_) {
        if (windowsEnding_) {
            if (options_.WindowsEnd && !messages_.ask(kAskOnSessionEnd, false, this)) {
                windowsEnding_ = false;
                return false;
            }
        } else if (options_.CloseMsg && !messages_.ask(kAskOnClose, false, this)) {
            return false;
        }
    }
    if (hooks_.closeMiniView && !hooks_.closeMiniView())
        return false;
    if (hooks_.closeReceiveView && !hooks_.closeReceiveView())
        return false;
    if (hooks_.releaseHistoryList)
        hooks_.releaseHistoryList();
    return true;
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (!closeQuery()) {
        e->ignore();
        return;
    }
    e->accept();
    if (tray_)
        tray_->hide();
    emit closed();
}

void TMainForm::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && acceptsInput()) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

bool TMainForm::event(QEvent* e) {
    if (e->type() == kStartupEvent) {
        if (hooks_.startup)
            hooks_.startup();
        return true;
    }
    if (e->type() == QEvent::WindowActivate && !acceptsInput()) {
        // Activated while a modal window is open: that window comes forward.
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->raise();
            modal->activateWindow();
        }
    }
    return QMainWindow::event(e);
}

} // namespace kanata

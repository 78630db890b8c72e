#include "tests/support/UserInput.h"

#include "tests/support/TempFolders.h"

#include <QProcess>

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

#include <algorithm>

namespace kanata::test {
namespace {

// The window of the widget once it is on screen: a window that is not yet
// exposed takes no input, on a desktop as here.
QWindow* windowOf(QWidget* widget) {
    QWindow* window = widget->window()->windowHandle();
    if (window)
        waitUntil([window] { return window->isExposed(); }, 5000);
    return window;
}

} // namespace

int runTool(const char* name, const QStringList& arguments, const QByteArray& input) {
    QProcess tool;
    tool.start(QString::fromStdString((stageFolder() / name).string()), arguments);
    tool.write(input);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(60000))
        return -1;
    return tool.exitCode();
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void clickAt(QWidget* widget, QPoint at) {
    QWindow* window = windowOf(widget);
    if (!window)
        return;
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, widget->mapTo(widget->window(), at));
}

void click(QWidget* widget) {
    // A check box or radio button takes clicks on its box and caption only,
    // and a layout may make it much wider than those.
    if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget)) {
        clickAt(widget, QPoint(std::min(8, widget->width() / 2), widget->height() / 2));
        return;
    }
    clickAt(widget, widget->rect().center());
}

QPushButton* buttonTitled(QWidget& window, const QString& caption) {
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

void clickRow(QAbstractItemView* view, int row) {
    const QModelIndex index = view->model()->index(row, 1);
    view->scrollTo(index);
    clickAt(view->viewport(), view->visualRect(index).center());
}

void typeInto(QWidget* widget, const QString& text) {
    click(widget);
    QWindow* window = windowOf(widget);
    if (!window)
        return;
    QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void pressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (QWindow* window = windowOf(widget))
        QTest::keyClick(window, key, modifiers);
}

void chooseFromMenu(QMainWindow* window, const QString& menuTitle, QAction* action) {
    QMenuBar* bar = window->menuBar();
    for (QAction* entry : bar->actions()) {
        if (entry->text() != menuTitle || !entry->menu())
            continue;
        clickAt(bar, bar->actionGeometry(entry).center());
        QMenu* menu = entry->menu();
        if (!waitUntil([menu] { return menu->isVisible(); }, 5000))
            return;
        clickAt(menu, menu->actionGeometry(action).center());
        return;
    }
}

} // namespace kanata::test

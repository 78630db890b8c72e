#pragma once
// Input as a person gives it: mouse clicks and key presses go through the
// window system, so a window that a modal window blocks gets none of them,
// exactly as on a desktop. Nothing here calls a handler directly.
#include <QApplication>
#include <QByteArray>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractItemView;
class QMenu;
class QMainWindow;
class QAction;
class QPushButton;

namespace kanata::test {

// Processes events until `done` or the timeout (ms); false on timeout.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 30000);

// Runs a tool of the application folder (ktcall, kanata-demo, ...) with
// `input` on its standard input; its exit code, or -1 when it did not end
// within a minute.
int runTool(const char* name, const QStringList& arguments, const QByteArray& input = {});

// A left click in the middle of the widget (or at `at`, in its coordinates).
void click(QWidget* widget);
void clickAt(QWidget* widget, QPoint at);
// Selects the row of a list view with a click.
void clickRow(QAbstractItemView* view, int row);
// Clicks the widget to give it the focus, selects what it holds and types
// `text` key by key.
void typeInto(QWidget* widget, const QString& text);
// One key (with modifiers) to the focused widget of the widget's window.
void pressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The push button of `window` whose caption is `caption`; null when none.
QPushButton* buttonTitled(QWidget& window, const QString& caption);
// Opens the menu of the menu bar titled `menuTitle` and clicks `action` in it.
void chooseFromMenu(QMainWindow* window, const QString& menuTitle, QAction* action);

// The first top-level window of type T, shown or hidden; null when none.
template <typename T> T* existingWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(w))
            return found;
    return nullptr;
}

// The first shown top-level window of type T; null when none is shown.
template <typename T> T* visibleWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(w); found && found->isVisible())
            return found;
    return nullptr;
}

// Runs `body` once, from the event loop, as soon as a modal window of type T
// is the active modal widget; for windows that open in their own loop (the
// menu's modal windows, dialogs run by exec()).
template <typename T> class WhenModal {
public:
    explicit WhenModal(std::function<void(T&)> body) : body_(std::move(body)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            T* window = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!window || !window->isVisible())
                return;
            timer_.stop();
            ran_ = true;
            QPointer<T> guard(window);
            body_(*window);
            // A body that stopped early must not leave the test waiting in
            // the window's loop.
            if (guard && guard->isVisible())
                guard->close();
            if (guard && guard->isVisible())
                guard->hide();
        });
        timer_.start(20);
    }
    bool ran() const { return ran_; }

private:
    std::function<void(T&)> body_;
    QTimer timer_;
    bool ran_ = false;
};

} // namespace kanata::test

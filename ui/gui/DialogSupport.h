#pragma once
// Small behaviours the list windows' dialogs share.
#include <QObject>

#include <functional>
#include <map>

class QAbstractButton;
class QDialog;
class QWidget;

namespace kanata {

// A list window's sub-dialog opens at the window's bottom-right corner,
// inset 15 pixels from its right and bottom edges.
void PlaceAtBottomRight(QWidget& dialog, const QWidget& owner);

// Draws the caption of the checked one among `buttons` in blue, the others
// in the window-text colour, now and whenever the choice changes.
void ColourChosenCaption(std::initializer_list<QAbstractButton*> buttons);

// Enter (or the keypad's Enter) on a watched widget moves the focus to the
// widget its rule names; a rule that gives null lets the key through.
class EnterMovesFocus : public QObject {
public:
    using Rule = std::function<QWidget*()>;
    explicit EnterMovesFocus(QObject* parent) : QObject(parent) {}
    void watch(QWidget* widget, Rule next);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::map<QObject*, Rule> rules_;
};

// Runs a modal dialog; tests replace it to drive the dialog themselves.
using DialogRunner = std::function<int(QDialog&)>;
int RunDialog(const DialogRunner& runner, QDialog& dialog);

} // namespace kanata

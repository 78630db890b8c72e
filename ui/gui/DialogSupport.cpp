#include "ui/gui/DialogSupport.h"

#include <QAbstractButton>
#include <QDialog>
#include <QKeyEvent>
#include <QWidget>

namespace kanata {

void PlaceAtBottomRight(QWidget& dialog, const QWidget& owner) {
    dialog.adjustSize();
    const QRect frame = owner.frameGeometry();
    const QSize size = dialog.frameGeometry().size();
    dialog.move(frame.right() + 1 - 15 - size.width(), frame.bottom() + 1 - 15 - size.height());
}

void ColourChosenCaption(std::initializer_list<QAbstractButton*> buttons) {
    std::vector<QAbstractButton*> all(buttons);
    auto paint = [all] {
        for (QAbstractButton* b : all) {
            QPalette pal = b->palette();
            const QColor normal = b->parentWidget()
                                      ? b->parentWidget()->palette().color(QPalette::WindowText)
                                      : QPalette().color(QPalette::WindowText);
            pal.setColor(QPalette::WindowText, b->isChecked() ? QColor(Qt::blue) : normal);
            pal.setColor(QPalette::ButtonText, b->isChecked() ? QColor(Qt::blue) : normal);
            b->setPalette(pal);
        }
    };
    for (QAbstractButton* b : all)
        QObject::connect(b, &QAbstractButton::toggled, b, paint);
    paint();
}

void EnterMovesFocus::watch(QWidget* widget, Rule next) {
    rules_[widget] = std::move(next);
    widget->installEventFilter(this);
}

bool EnterMovesFocus::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    auto it = rules_.find(watched);
    if (it == rules_.end())
        return false;
    QWidget* next = it->second();
    if (!next)
        return false;
    next->setFocus(Qt::TabFocusReason);
    return true;
}

int RunDialog(const DialogRunner& runner, QDialog& dialog) {
    return runner ? runner(dialog) : dialog.exec();
}

} // namespace kanata

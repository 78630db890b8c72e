#pragma once
// Typing into the real widgets: Latin text as key presses, Japanese text the
// way a person enters it, as the input method's committed string.
#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QWidget>

namespace kanata::test {

inline void typeLatin(QWidget* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

inline void typeJapanese(QWidget* edit, const QString& text) {
    edit->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(edit, &commit);
}

// Clears an edit the way a person does: select everything, delete.
inline void clearEdit(QWidget* edit) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
}

} // namespace kanata::test

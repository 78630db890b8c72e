#pragma once
// A drop-down of fixed choices, as the list print's pages offer them: the
// index picked is what the print format stores.
#include <QComboBox>
#include <QStringList>

namespace kanata {

inline QComboBox* Choices(QWidget* owner, const QStringList& items) {
    auto* box = new QComboBox(owner);
    box->addItems(items);
    return box;
}

} // namespace kanata

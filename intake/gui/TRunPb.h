#pragma once
// The confirmation before the phonebook product is started from the menu,
// while its address book stands in for the roster.
#include <QDialog>

#include <string>

namespace kanata {

class TRunPb : public QDialog {
    Q_OBJECT
public:
    TRunPb(const std::string& editionName, const std::string& bookName, QWidget* parent = nullptr);
};

} // namespace kanata

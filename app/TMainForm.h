#pragma once
#include <QMainWindow>

namespace kanata {

// The program's small menu window.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
};

} // namespace kanata

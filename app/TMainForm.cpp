#include "app/TMainForm.h"

namespace kanata {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("着信帳１９.５ メニュー"));
    resize(320, 120);
}

} // namespace kanata

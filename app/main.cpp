#include "app/TMainForm.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kanata195"));
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    kanata::TMainForm form;
    form.show();
    return QApplication::exec();
}

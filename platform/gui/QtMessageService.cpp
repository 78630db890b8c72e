#include "platform/gui/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <vector>

namespace kanata {
namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSpec {
    const char* caption;
    QMessageBox::ButtonRole role;
    MessageResult result;
};

std::vector<ButtonSpec> buttonsFor(MessageButtons buttons) {
    const ButtonSpec ok{"OK", QMessageBox::AcceptRole, MessageResult::Ok};
    const ButtonSpec cancel{"キャンセル", QMessageBox::RejectRole, MessageResult::Cancel};
    const ButtonSpec yes{"はい(&Y)", QMessageBox::YesRole, MessageResult::Yes};
    const ButtonSpec no{"いいえ(&N)", QMessageBox::NoRole, MessageResult::No};
    const ButtonSpec retry{"再試行(&R)", QMessageBox::AcceptRole, MessageResult::Retry};
    switch (buttons) {
    case MessageButtons::Ok:
        return {ok};
    case MessageButtons::OkCancel:
        return {ok, cancel};
    case MessageButtons::YesNo:
        return {yes, no};
    case MessageButtons::YesNoCancel:
        return {yes, no, cancel};
    case MessageButtons::RetryCancel:
        return {retry, cancel};
    }
    return {ok};
}

QString displayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

} // namespace

MessageResult QtMessageService::ShowCenteredMessage(const MessageRequest& request) {
    auto* owner = static_cast<QWidget*>(const_cast<void*>(request.owner));
    QMessageBox box(owner);
    box.setWindowTitle(QString::fromUtf8(kAppCaption));
    box.setIcon(toQtIcon(request.icon));
    box.setText(displayText(request.text));

    const auto buttonSpecs = buttonsFor(request.buttons);
    std::vector<QPushButton*> buttons;
    for (const auto& button : buttonSpecs)
        buttons.push_back(box.addButton(QString::fromUtf8(button.caption), button.role));
    if (request.defaultButton >= 0 && request.defaultButton < static_cast<int>(buttons.size()))
        box.setDefaultButton(buttons[request.defaultButton]);
    // The last button closes the box on Escape, as a Windows box's Cancel/No does.
    box.setEscapeButton(buttons.back());

    box.adjustSize();
    if (request.placement.kind == MessagePlacement::Kind::AtPoint) {
        box.move(request.placement.x, request.placement.y);
    } else if (request.placement.kind == MessagePlacement::Kind::Default || !owner) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            box.move(screen->availableGeometry().center() - box.rect().center());
    }
    box.exec();

    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return buttonSpecs[i].result;
    return buttonSpecs.back().result;
}

} // namespace kanata

#include "views/gui/CallerFormActions.h"

#include "lookup/gui/NameEntryBinding.h"
#include "lookup/gui/TDicSearch.h"
#include "platform/AppFolder.h"
#include "platform/MessageService.h"
#include "ui/gui/CallerForm.h"
#include "views/CallerRegistration.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLineEdit>
#include <QUrl>

namespace kanata {

bool DictionaryAnswer::knownCaller() const {
    return resultKind == kDicCallRecord;
}

CallerFormActions::CallerFormActions(ui::CallerFormControls& form, const CallerFormHooks& hooks,
                                     MessageService& messages, QWidget& owner)
    : form_(form), hooks_(hooks), messages_(messages), owner_(owner) {}

CallerFormActions::Busy::Busy(CallerFormActions& actions, bool hourglass)
    : actions_(actions), hourglass_(hourglass) {
    ++actions_.busy_;
    if (hourglass_)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

CallerFormActions::Busy::~Busy() {
    --actions_.busy_;
    if (hourglass_)
        QApplication::restoreOverrideCursor();
}

void CallerFormActions::notAvailable() {
    messages_.information("この機能は現在準備中です  ", &owner_);
}

std::filesystem::path CallerFormActions::dictionaryFolder() const {
    return hooks_.dictionaryFolder.empty() ? applicationFolder() / "Dic" : hooks_.dictionaryFolder;
}

std::string CallerFormActions::dictionaryText(int kind) const {
    switch (kind) {
    case 0:
        return ui::s(form_.edtTel1->text());
    case 1:
        return form_.edtTel2 ? ui::s(form_.edtTel2->text()) : std::string();
    case 2:
        return ui::s(form_.edtPos->text());
    default:
        return ui::s(form_.edtTdfkn->text() + form_.edtAdrs1->text() + form_.edtAdrs2->text() +
                     form_.edtAdrs3->text());
    }
}

std::optional<DictionaryAnswer> CallerFormActions::searchDictionary(int kind) {
    TDicSearch dialog(dictionaryFolder(), messages_, &owner_);
    dialog.lookupCaller = hooks_.lookupCaller;
    dialog.SetTabs(7, true);
    const int start = dialog.Start(kind, dictionaryText(kind));
    if (start == TDicSearch::kStartNothing ||
        (start == TDicSearch::kStartShow && dialog.exec() != QDialog::Accepted))
        return std::nullopt;
    DictionaryAnswer answer;
    answer.resultKind = dialog.resultKind();
    if (answer.knownCaller())
        answer.caller = dialog.callRecord();
    else
        answer.hit = dialog.result();
    return answer;
}

void CallerFormActions::bindNameEntry() {
    nameEntry_ = new NameEntryBinding(
        ui::NameKanaEdit(form_), ui::NameKanjiEdit(form_), [this] { return dictionaryFolder(); },
        &owner_);
}

void CallerFormActions::showNameDictionary(const std::function<void(bool kanji)>& hook) {
    if (!hook)
        return nameEntry_->ShowForButton();
    Busy busy(*this);
    hook(!form_.edtNameKana->hasFocus());
}

bool CallerFormActions::openUrl(const QUrl& url) {
    if (hooks_.openUrl)
        return hooks_.openUrl(url);
    return QDesktopServices::openUrl(url);
}

void CallerFormActions::sendMail(MessageIcon failureIcon) {
    const QString address = form_.edtEMail->text().trimmed();
    if (address.isEmpty()) {
        messages_.information(MessageLines({"メールアドレスを入力してください"}), &owner_);
        form_.edtEMail->setFocus();
        return;
    }
    const QString target =
        address.startsWith("mailto:", Qt::CaseInsensitive) ? address : "mailto:" + address;
    if (openUrl(QUrl(target)))
        return;
    const std::string failed = MessageLines({"メールソフトが起動できませんでした", "Result = 0"});
    if (failureIcon == MessageIcon::Stop)
        messages_.error(failed, &owner_);
    else
        messages_.information(failed, &owner_);
}

} // namespace kanata

#include "lookup/gui/NameEntryBinding.h"

#include "lookup/gui/TNameDicP.h"
#include "ui/gui/TNMDEdit.h"

#include <QApplication>

namespace kanata {

NameEntryBinding::NameEntryBinding(TNMDEdit* kana, TNMDEdit* kanji,
                                   std::function<std::filesystem::path()> dicFolder, QWidget* owner)
    : QObject(owner), kana_(kana), kanji_(kanji), dicFolder_(std::move(dicFolder)), owner_(owner) {
    kana_->InputType = TInputKind::itKana;
    kanji_->InputType = TInputKind::itKanji;
    kana_->setAssociate(kanji_);
    kanji_->setAssociate(kana_);
    for (TNMDEdit* e : {kana_, kanji_}) {
        e->OnConvertNeed = [this](TNMDEdit& edit, int kind, bool show, const std::string& r) {
            convertNeed(edit, kind, show, r);
        };
        e->OnConvertKeyDown = [this](TNMDEdit&, int key) {
            return popup_ && popup_->HandleKey(key);
        };
    }
}

TNameDicP* NameEntryBinding::popup() const {
    return popup_;
}

TNameDicP* NameEntryBinding::ensurePopup() {
    if (!popup_) {
        popup_ = new TNameDicP(dicFolder_(), owner_);
        connect(popup_, &TNameDicP::nameSelected, this, &NameEntryBinding::chosen);
    }
    return popup_;
}

void NameEntryBinding::convertNeed(TNMDEdit& edit, int kind, bool show,
                                   const std::string& reading) {
    if (!show) {
        if (popup_)
            popup_->close();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TNameDicP* p = ensurePopup();
    fromButton_ = false;
    const int useKind = p->isVisible() ? p->kind() : kind;
    const int count = p->QueryNames(reading, useKind);
    if (count > 0)
        p->ShowNames(&edit, reading, useKind, count);
    else
        p->close();
    QApplication::restoreOverrideCursor();
}

void NameEntryBinding::ShowForButton() {
    const std::string kana = kana_->text().trimmed().toStdString();
    const auto blank = kana.rfind(' ');
    const std::string reading = blank == std::string::npos ? kana : kana.substr(blank + 1);
    const int kind = blank == std::string::npos ? 0 : 1;
    TNameDicP* p = ensurePopup();
    const int count = p->QueryNames(reading, kind);
    if (count <= 0) {
        p->close();
        return;
    }
    p->close();
    p->ShowNames(kanji_, reading, kind, count);
    fromButton_ = true;
}

void NameEntryBinding::chosen() {
    if (!popup_)
        return;
    auto* edit = qobject_cast<TNMDEdit*>(popup_->askingEdit());
    const std::string kanji = popup_->chosenKanji();
    const std::string reading = popup_->chosenReading();
    const int kind = popup_->kind();
    popup_->close();
    if (!edit)
        return;
    if (fromButton_) {
        // The reading is already in the kana field.
        const QString blank =
            kind == 0 && edit->text().isEmpty() ? QStringLiteral("　") : QString();
        edit->insert(QString::fromStdString(kanji) + blank);
    } else {
        edit->InsertChosenName(kanji, reading, kind);
    }
    edit->setFocus();
}

} // namespace kanata

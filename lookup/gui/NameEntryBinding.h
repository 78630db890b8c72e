#pragma once
// Joins a window's kana and kanji name edits to the name dictionary popup:
// the edits' readings ask the popup, the popup's choice goes back into the
// edit that asked. Owned by the window (a QObject child).
#include <QObject>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <string>

namespace kanata {

class TNMDEdit;
class TNameDicP;

class NameEntryBinding : public QObject {
    Q_OBJECT
public:
    // `dicFolder` is asked when the popup is first needed.
    NameEntryBinding(TNMDEdit* kana, TNMDEdit* kanji,
                     std::function<std::filesystem::path()> dicFolder, QWidget* owner);

    // The 名前辞書 button: the candidates of the kana field's last word, under
    // the kanji edit; the choice fills the kanji edit only.
    void ShowForButton();
    TNameDicP* popup() const;

private:
    void convertNeed(TNMDEdit& edit, int kind, bool show, const std::string& reading);
    void chosen();
    TNameDicP* ensurePopup();

    TNMDEdit* kana_;
    TNMDEdit* kanji_;
    std::function<std::filesystem::path()> dicFolder_;
    QWidget* owner_;
    QPointer<TNameDicP> popup_;
    bool fromButton_ = false;
};

} // namespace kanata

#pragma once
// The name entry edit: a line edit that reports the reading typed through the
// input method (for the name dictionary popup) and, as the kanji edit of a
// pair, copies each finished reading into its kana partner.
#include "ui/NameEntryLogic.h"

#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>

namespace kanata {

class XcbKeyTap;

enum class TInputKind { itKana, itKanji };
enum TNameDicKind : int { nkLineage = 0, nkFirst = 1 };

class TNMDEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNMDEdit(QWidget* parent = nullptr);
    ~TNMDEdit() override;

    TInputKind InputType = TInputKind::itKanji;
    void setAssociate(TNMDEdit* partner);
    TNMDEdit* associate() const { return associate_; }
    // The edit's limit in code page 932 bytes (0 = none): typed text is held
    // to it by the shared byte-limit validator, and captures and chosen
    // names are cut to it.
    void setByteLimit(int bytes);
    int byteLimit() const { return byteLimit_; }

    // (kind, show, reading): show = a candidate list is wanted for reading.
    std::function<void(TNMDEdit&, int kind, bool show, const std::string& reading)> OnConvertNeed;
    // A navigation key while candidates are offered; return true to consume.
    std::function<bool(TNMDEdit&, int key)> OnConvertKeyDown;

    int XPSelStart() const;
    int XPSelLength() const;
    void setXPSelStart(int bytes);
    void setXPSelLength(int bytes);

    void InsertChosenName(const std::string& kanji, const std::string& reading, int kind);

    // The state of the composition, for the owner and tests.
    const std::string& reading() const { return reading_; }
    int kind() const { return kind_; }

protected:
    void inputMethodEvent(QInputMethodEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void takeInputMethodEvent(QInputMethodEvent* event);
    bool rangeIsTheSelection(const QInputMethodEvent& event) const;
    bool isAbandonedCommit(const QInputMethodEvent& event);
    void startComposition(bool converted);
    void preeditChanged(const QString& preedit, bool converted);
    void compositionEnded(const QString& commit);
    void cancelComposition();
    bool takeComposingKey(int key);
    void postQuery();
    void raiseConvertNeed(bool show, const std::string& reading);
    EditText state() const;
    void apply(const EditText& e);

    QPointer<TNMDEdit> associate_;
    int byteLimit_ = 0;
    int kind_ = nkLineage;
    std::string reading_;
    bool show_ = false;
    bool composing_ = false;
    bool replacesAll_ = false;  // the whole text was selected when the composition began
    bool reconverting_ = false; // the composition began on text already converted
    bool inInputMethodEvent_ = false;
    QString preedit_;   // the input method's last preedit
    QString abandoned_; // the preedit of a cancelled composition, until the input method lets go
    std::unique_ptr<XcbKeyTap> keyTap_;
    RomajiTest romaji_;
};

} // namespace kanata

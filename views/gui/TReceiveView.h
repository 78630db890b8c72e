#pragma once
// The incoming call view "着信照会": one call and its caller, where the user
// edits and registers the caller, copies, mails, prints and edits the lists.
#include "data/CallRecord.h"
#include "ui/gui/CallerForm.h"
#include "views/CallerFields.h"
#include "views/OutputItems.h"
#include "views/ReceiveViewSettings.h"
#include "views/gui/CallerFormActions.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kanata {

class IniFile;
class MessageService;
class TDMKanata195;
class TReceiveView;

// What the view reaches outside itself. An action whose hook is not set
// tells the user it is not available yet.
struct ReceiveViewHooks : CallerFormHooks {
    std::function<void(const std::string& number)> dial;
    std::function<void(TReceiveView&, int numberEdit)> telDictionary;
    std::function<void(TReceiveView&)> postalDictionary;
    std::function<void(TReceiveView&)> addressDictionary;
    std::function<void(TReceiveView&)> map;
    std::function<void(TReceiveView&)> itemPrint;
    std::function<void(TReceiveView&)> windowPrint;
    std::function<void(TReceiveView&)> memoPrint;
    // The name dictionary for the kana (false) or kanji (true) name edit.
    std::function<void(TReceiveView&, bool kanji)> nameDictionary;
    // The history list redraws the row that changed on its page.
    std::function<void(int recNo)> onRegistered;
};

class TReceiveView : public QWidget, public ui::CallerFormControls {
    Q_OBJECT
public:
    static constexpr const char* kSection = "RECEIVE VIEW";

    // `ini` is the main settings file (window position, output items); it
    // must outlive the view. The view deletes itself when closed.
    TReceiveView(TDMKanata195& dm, MessageService& messages, ReceiveViewSettings settings,
                 IniFile& ini, QWidget* parent = nullptr);
    ~TReceiveView() override;

    ReceiveViewHooks& hooks() { return hooks_; }

    void LoadCallRecord(const CallRecord& record);
    bool IsViewBusy() const { return locked_ || actions_.busy(); }
    // Registration without any message box; 0 when done.
    int RegisterCurrentCaller();
    int CurrentRecNo() const { return hasRecord_ ? record_.RecNo : -1; }
    // Some field differs from the record as loaded.
    bool HasUnsavedChanges() const;
    // Closes unless the user keeps an unsaved edit; true when closed.
    bool RequestClose();

    bool addressBookMode() const { return settings_.UsePbAdrs; }
    bool isNewMode() const { return record_.Division != 1; }
    bool locked() const { return locked_; }
    const CallRecord& record() const { return record_; }
    // What the controls hold; setFields fills them (the dictionaries do).
    CallerFields fields() const;
    void setFields(const CallerFields& fields);
    // Coordinates returned by a map, stored at the next registration.
    void setCoordinates(int latitude, int longitude);
    const OutputItemSettings& outputSettings() const { return output_; }
    // The 25 item values as the window shows them now.
    std::array<std::string, kOutputItemCount> itemValues() const;

    // Controls, besides those of the caller form (CallerFormControls; its
    // second number edit only in roster mode).
    QLabel* pnlRecvDate = nullptr;
    QLabel* pnlRecvTime = nullptr;
    QLabel* pnlPrevDate = nullptr;
    QLabel* pnlPrevTime = nullptr;
    QLabel* pnlDivision = nullptr;
    QComboBox* cbxOtherTel = nullptr; // address-book mode
    QPushButton* btnDial1 = nullptr;
    QPushButton* btnDial2 = nullptr;
    QPushButton* btnTelDic = nullptr;
    QPushButton* btnPosDic = nullptr;
    QPushButton* btnAdrsDic = nullptr;
    QLabel* lblJisCode = nullptr;
    QLabel* lblKajoCode = nullptr;
    QComboBox* cbxSelItem[3] = {};
    QPushButton* btnListEdit[4] = {}; // rank, selection items 1..3
    QLabel* lblSelItem[3] = {};
    QLabel* pnlMessage = nullptr;
    QListWidget* lbxExtLink = nullptr;
    QPushButton* btnExtLink = nullptr;
    QPlainTextEdit* mmNote = nullptr;
    QLabel* lblLock[3] = {};
    QPushButton* btnLock = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnItemSetup = nullptr;
    QPushButton* btnItemPrint = nullptr;
    QPushButton* btnWindowPrint = nullptr;
    QPushButton* btnMemoPrint = nullptr;

    // Handlers (public so that the owner and tests can drive them).
    void btnRegisterClick();
    void btnLockClick();
    void btnExchangeClick();
    void btnCopyClick();
    void btnMailClick();
    void btnItemSetupClick();
    void btnListEditClick(int tab);
    void btnExtLinkClick();
    // Takes a new output configuration and writes it at once.
    void setOutputSettings(const OutputItemSettings& settings);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter moves on to the next field, as in every dialog of the program.
    void keyPressEvent(QKeyEvent* event) override;

private:
    using Busy = CallerFormActions::Busy;
    void createControls();
    void connectControls();
    void fillControls();
    void fillList(QComboBox* box, int list);
    void refillLists(int mask);
    void updateCaptions();
    void updateMessagePanel();
    void focusNumber(int edit, bool selectText);
    bool runHook(const std::function<void(TReceiveView&)>& hook);
    void runDictionarySearch(int kind);
    void applyResult(int focusNumber, bool selectText);
    void restoreGeometry();
    void saveGeometry();

    TDMKanata195& dm_;
    MessageService& messages_;
    ReceiveViewSettings settings_;
    IniFile& ini_;
    OutputItemSettings output_;
    ReceiveViewHooks hooks_;
    CallerFormActions actions_;
    CallRecord record_;
    CallerFields loaded_;
    bool hasRecord_ = false;
    bool locked_ = false;
    bool closing_ = false;
};

} // namespace kanata

#pragma once
// "サブ" of the roster editor: the record's links to files and addresses,
// its note, its own incoming-call message with the message's colour, and
// when it was registered and last changed.
#include "data/MeiboTable.h"
#include "roster/ExtLinkList.h"
#include "roster/MeiboEditor.h"
#include "roster/gui/MeiboViewHooks.h"

#include <QColor>
#include <QWidget>

#include <filesystem>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kanata {

class MessageService;

class MeiboSubPage : public QWidget {
public:
    // `customColours` is the path of CstmClr.ini.
    MeiboSubPage(MeiboViewHooks& hooks, CallerFormActions& actions, MessageService& messages,
                 std::filesystem::path customColours);

    void showFields(const MeiboFields& f);
    void readFields(MeiboFields& f) const;
    // The stored times of `row`; none for a new record.
    void showDates(const MeiboRow* row);
    const QColor& messageColour() const { return colour_; }

    void AddFileLink();
    void AddUrlLink();
    void AddLink(const QString& link);
    void btnLinkDeleteClick();
    void btnLinkOpenClick();
    void btnColorSetClick();
    void btnColorDeleteClick();

    QListWidget* lbxExtLink = nullptr;
    QPushButton* btnLinkAdd = nullptr;
    QPushButton* btnLinkDelete = nullptr;
    QPushButton* btnLinkOpen = nullptr;
    QPlainTextEdit* mmNote = nullptr;
    QCheckBox* chkMsg = nullptr;
    QLineEdit* edtMsg1 = nullptr;
    QLineEdit* edtMsg2 = nullptr;
    QLabel* pnlPreview = nullptr;
    QLabel* pnlColour = nullptr;
    QPushButton* btnColorSet = nullptr;
    QPushButton* btnColorDelete = nullptr;
    QLabel* lblAddDateTime = nullptr;
    QLabel* lblUpdDateTime = nullptr;

private:
    using SubDialog = CallerFormActions::Busy;
    QWidget* createLinks();
    QWidget* createMessage();
    void connectControls();
    void chooseLinkKind();
    void setLinks(const std::vector<std::string>& links, int select);
    void updateLinkButtons();
    void updateMessageControls();
    void setColour(const std::string& stored);

    MeiboViewHooks& hooks_;
    CallerFormActions& actions_;
    MessageService& messages_;
    std::filesystem::path customColours_;
    ExtLinkList links_;
    QColor colour_;
    std::string colourText_;
};

} // namespace kanata

#pragma once
// "着信履歴取り込み": reads the calls the adapter stored itself, shows them
// and appends the chosen ones to the history as new calls.
#ifndef Q_MOC_RUN
#include "transfer/AdapterHistory.h"
#endif

#include <QDialog>

#include <functional>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace kanata {

class HyphenationService;
class MessageService;
class TDMKanata195;

struct ReceiveHistorySource {
    // Fills the entries from the adapter; false when the read failed.
    std::function<bool(std::vector<AdapterHistoryRecord>&)> read;
    // Refills the history list's current page after a save.
    std::function<void()> refreshHistoryList;
};

class TGetReceiveHistory : public QDialog {
    Q_OBJECT
public:
    TGetReceiveHistory(TDMKanata195& dm, MessageService& messages,
                       const HyphenationService* hyphenation, ReceiveHistorySource source,
                       QWidget* parent = nullptr);

    const std::vector<AdapterHistoryLine>& lines() const { return lines_; }

    QTreeWidget* lbxHistory = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnSaveClick();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readFromAdapter();

    TDMKanata195& dm_;
    MessageService& messages_;
    const HyphenationService* hyphenation_;
    ReceiveHistorySource source_;
    std::vector<AdapterHistoryLine> lines_;
    bool asked_ = false;
};

} // namespace kanata

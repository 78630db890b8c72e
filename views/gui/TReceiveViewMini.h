#pragma once
// "簡易着信情報": the latest call in four lines; a double click opens it in
// the full call view.
#include "data/CallRecord.h"

#include <QWidget>

#include <functional>

class QTableWidget;

namespace kanata {

class HyphenationService;
class IniFile;
class TReceiveView;

struct MiniViewHooks {
    // The open full view, or null.
    std::function<TReceiveView*()> fullView;
    // The history list: ShowCallRecord (loads the record into the full view),
    // its refresh on the current page, and the selection of a call's row.
    std::function<void(const CallRecord&)> showCallRecord;
    std::function<void()> refreshHistory;
    std::function<void(int recNo)> selectHistoryRow;
};

class TReceiveViewMini : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kSection = "RECEIVE VIEW MINI";
    static constexpr int kLabelWidth = 76;
    static constexpr int kRowHeight = 20;

    // `ini` (the main settings file) must outlive the window; `autoAdd` is
    // RECEIVE HISTORY AutoAdd. The window deletes itself when closed.
    TReceiveViewMini(IniFile& ini, bool autoAdd, bool notMoveFocus,
                     const HyphenationService* hyphenation, QWidget* parent = nullptr);
    ~TReceiveViewMini() override;

    MiniViewHooks& hooks() { return hooks_; }
    // The settings changed while the view is open.
    void setOptions(bool autoAdd, bool notMoveFocus);

    void ShowInMiniView(const CallRecord& record);
    void BringMiniViewToFront();
    const CallRecord& record() const { return record_; }
    // The double-click rules.
    void sgMiniDblClick();

    QTableWidget* sgMini = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    IniFile& ini_;
    bool autoAdd_;
    bool notMoveFocus_;
    const HyphenationService* hyphenation_;
    MiniViewHooks hooks_;
    CallRecord record_;
    bool hasRecord_ = false;
};

} // namespace kanata

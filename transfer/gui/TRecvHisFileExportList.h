#pragma once
// "テキストファイル出力　着信対応履歴一覧": the history, newest first, for
// choosing the calls to export.
#ifndef Q_MOC_RUN
#include "history/HistoryCondition.h"
#endif
#include "transfer/gui/ExportListWindow.h"

namespace kanata {

class TRecvHisFileExportList : public ExportListWindow {
    Q_OBJECT
public:
    static constexpr const char* kSection = "FILE EXPORT RECVHIS LIST";

    TRecvHisFileExportList(ExportEnvironment& env, const ExportSettings& settings,
                           QWidget* parent = nullptr);
    const HistoryCondition& condition() const { return condition_; }

protected:
    RowFilter filter() const override;
    bool conditionActive() const override { return condition_.active; }
    std::vector<std::string> cells(const Record& record, std::int64_t number) const override;
    bool editCondition() override;
    bool openTable() override;
    void closeTable() override;

private:
    HistoryCondition condition_;
};

} // namespace kanata

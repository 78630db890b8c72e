#pragma once
// "テキストファイル出力　登録名簿一覧": the roster in one of its six orders,
// for choosing the records to export.
#ifndef Q_MOC_RUN
#include "roster/MeiboCondition.h"
#include "roster/gui/MeiboListParts.h"
#endif
#include "transfer/gui/ExportListWindow.h"

#include <array>

namespace kanata {

class TAddMeiboFileExportList : public ExportListWindow {
    Q_OBJECT
public:
    static constexpr const char* kSection = "FILE EXPORT MEIBO LIST";

    TAddMeiboFileExportList(ExportEnvironment& env, const ExportSettings& settings,
                            QWidget* parent = nullptr);
    MeiboSort sort() const { return sort_; }
    const MeiboCondition& condition() const { return condition_; }

    MeiboSortButtons btnSort{};
    void btnSortClick(MeiboSort sort);

protected:
    RowFilter filter() const override { return MeiboRowFilter(condition_); }
    bool conditionActive() const override { return condition_.active; }
    std::vector<std::string> cells(const Record& record, std::int64_t number) const override;
    bool editCondition() override;
    bool openTable() override;
    void closeTable() override;

private:
    MeiboSort sort_ = MeiboSort::Registration;
    MeiboCondition condition_;
};

} // namespace kanata

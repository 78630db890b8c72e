#pragma once
// "出力(&E)" of an export list window: the questions of the range mode, the
// output file and its questions, the password, the writing with a progress
// bar, the self-extractor and the completion message.
#ifndef Q_MOC_RUN
#include "history/ListPager.h"
#include "transfer/ExportRun.h"
#include "transfer/ExportSettings.h"
#endif

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QString;
class QWidget;

namespace kanata {

struct ExportEnvironment;

// What the list window shows when the run starts.
struct ExportListState {
    std::vector<std::int64_t> selected; // RecNos of the selected rows, in list order
    std::int64_t matching = 0;          // records that satisfy the search condition
    bool conditionActive = false;
    RowFilter filter;
    std::string index;
    bool descending = false;
};

class ExportRunFlow {
public:
    enum class Outcome { Written, NothingSelected, Stopped };

    ExportRunFlow(ExportEnvironment& env, ExportSource source, const ExportSettings& settings,
                  const char* section, QWidget& owner);

    Outcome run(const ExportListState& list);
    // Range reset when the window opens: 1 to the number of matching records.
    void resetRange(std::int64_t matching);

    std::int64_t begin() const { return begin_; }
    std::int64_t end() const { return end_; }
    const std::filesystem::path& fileNormal() const { return fileNormal_; }
    const std::filesystem::path& fileEncrypt() const { return fileEncrypt_; }
    ExportType type() const { return type_; }

private:
    std::optional<std::int64_t> confirmTarget(const ExportListState& list, ExportJob& job);
    bool chooseNormalFile(std::filesystem::path& file, bool& append);
    bool chooseEncryptedFile(std::filesystem::path& file);
    // The remembered file if the user keeps it, else one chosen in the save
    // dialog, which starts at the remembered name (or at `defaultName` in the
    // data folder); `completeName` gives a chosen name the extension of the
    // filter picked (1-based). Its folder is made; empty when cancelled.
    std::optional<std::filesystem::path> chooseTarget(
        const std::filesystem::path& remembered, const char* defaultName, const QString& filter,
        const std::function<std::filesystem::path(std::filesystem::path, int)>& completeName);
    std::optional<std::filesystem::path> askChangedPath(const std::filesystem::path& remembered,
                                                        bool& cancelled);
    QString saveDialog(const std::filesystem::path& start, const QString& filter, int& index);
    bool makeFolder(const std::filesystem::path& file);
    std::optional<std::int64_t> writeText(const ExportJob& job, const std::filesystem::path& file,
                                          bool append);
    void writeSettings();

    ExportEnvironment& env_;
    ExportSource source_;
    ExportSettings settings_;
    const char* section_;
    QWidget& owner_;
    ExportType type_;
    std::int64_t begin_ = 1, end_ = 0;
    std::filesystem::path fileNormal_, fileEncrypt_;
    bool busy_ = false;
    std::int64_t replaced_ = 0; // characters of the last write put out as "?"
};

} // namespace kanata

#include "transfer/ImportStart.h"

#include "data/Cp932.h"
#include "settings/IniFile.h"
#include "transfer/ImportErrorLog.h"
#include "transfer/ImportTextFile.h"

#include <algorithm>

namespace kanata {
namespace {
std::string lowerPath(const std::filesystem::path& path) {
    std::error_code ec;
    std::string text = std::filesystem::weakly_canonical(std::filesystem::absolute(path), ec);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
} // namespace

SampleProblem LoadImportSample(const std::filesystem::path& file,
                               const std::filesystem::path& dataFolder, ImportSample& sample) {
    sample = {};
    if (lowerPath(file) == lowerPath(dataFolder / kImportErrorLogName))
        return SampleProblem::IsErrorLog;
    ImportTextFile text;
    if (!text.open(file))
        return SampleProblem::Unreadable;
    if (text.utf16())
        return SampleProblem::Utf16;
    std::string line;
    if (!text.readLine(line))
        return SampleProblem::Empty;
    if (text.lineCut())
        return SampleProblem::LineTooLong;
    sample.encoding = text.encoding();
    sample.unmarkedUtf8 = text.unmarkedUtf8();
    const int separators = CountSeparators(line, sample.encoding);
    for (const std::string& field :
         SplitFields(line, separators, SplitMode::Quoted, ',', 0, sample.encoding))
        sample.fields.push_back(text.toUtf8(field));
    return SampleProblem::None;
}

std::string SampleProblemText(SampleProblem problem) {
    switch (problem) {
    case SampleProblem::IsErrorLog:
        return "指定したテキストファイルは  \r\nエラー時に出力するファイルと同じため  \r\n"
               "入力ファイルとして指定できません  ";
    case SampleProblem::Empty:
        return "指定したテキストファイルには内容がありませんでした  ";
    case SampleProblem::Unreadable:
        return "指定したテキストファイルが見つかりません  ";
    case SampleProblem::LineTooLong:
        return "指定したテキストファイルは1行目が" + std::to_string(ImportTextFile::kMaxLineBytes) +
               "バイトを超えるため  \r\nテキストファイルとして読み込めません  ";
    case SampleProblem::Utf16:
        return "指定したテキストファイルはUTF-16（Unicodeテキスト）で書かれているため  \r\n"
               "読み込めません  \r\nUTF-8またはShift_JISのCSVで保存し直してください  ";
    case SampleProblem::None:
        break;
    }
    return {};
}

std::string MappingProblem(ImportDestination destination, const ImportMapping& mapping) {
    if (mapping.isEmpty())
        return "入力する項目がセットされていません  ";
    if (destination == ImportDestination::History) {
        if (!mapping.hasFirst(kHisDate))
            return "着信日付は必須項目ですのでセットしてください  ";
        if (!mapping.hasFirst(kHisTime))
            return "着信時刻は必須項目ですのでセットしてください  ";
    }
    return {};
}

long long ImportRecordCount(const std::filesystem::path& file, bool skipFirst) {
    const long long lines = CountImportLines(file);
    if (lines < 0)
        return 0;
    return skipFirst ? lines - 1 : lines;
}

SelectionCaptions ReadSelectionCaptions(const IniFile& settings) {
    const char* fallback[] = {"内容", "メモ", "受付"};
    SelectionCaptions captions;
    for (int i = 0; i < 3; ++i) {
        const std::string key = "SelectItem" + std::to_string(i + 1);
        std::string value = settings.readString("SCREEN VIEW", key);
        captions[static_cast<std::size_t>(i)] = cp932::trim(value).empty() ? fallback[i] : value;
    }
    return captions;
}

} // namespace kanata

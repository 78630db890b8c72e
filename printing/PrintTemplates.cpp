#include "printing/PrintTemplates.h"

#include "settings/IniFile.h"

#include <algorithm>

namespace kanata {

const char* TemplateFileName(PrintSource source) {
    return source == PrintSource::History ? "LPRHis.tpl" : "LPAMeibo.tpl";
}

PrintTemplates::PrintTemplates(std::filesystem::path file, int itemCount)
    : file_(std::move(file)), itemCount_(itemCount) {}

void PrintTemplates::load(const std::optional<PrintLayout>& lastLayout) {
    entries_.clear();
    if (lastLayout)
        entries_.push_back({kLastLayoutName, *lastLayout});
    IniFile ini(file_);
    ini.load();
    for (const std::string& section : ini.sections()) {
        if (section.empty() || section == kLastLayoutName || find(section))
            continue;
        if (auto layout = ReadLayout(ini, section, itemCount_))
            entries_.push_back({section, std::move(*layout)});
    }
}

const PrintTemplate* PrintTemplates::find(const std::string& name) const {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const PrintTemplate& t) { return t.name == name; });
    return it == entries_.end() ? nullptr : &*it;
}

std::size_t PrintTemplates::savedCount() const {
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(),
                      [](const PrintTemplate& t) { return t.name != kLastLayoutName; }));
}

TemplateSaveOutcome PrintTemplates::save(const std::string& name, const PrintLayout& layout) {
    if (name.empty())
        return TemplateSaveOutcome::EmptyName;
    if (name == kLastLayoutName)
        return TemplateSaveOutcome::ReservedName;
    if (find(name))
        return TemplateSaveOutcome::DuplicateName;
    if (!canSave())
        return TemplateSaveOutcome::ListFull;
    entries_.push_back({name, layout});
    if (!rewrite()) {
        entries_.pop_back();
        return TemplateSaveOutcome::WriteFailed;
    }
    return TemplateSaveOutcome::Saved;
}

TemplateDeleteOutcome PrintTemplates::remove(const std::string& name) {
    if (name == kLastLayoutName)
        return TemplateDeleteOutcome::ReservedName;
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const PrintTemplate& t) { return t.name == name; });
    if (it == entries_.end())
        return TemplateDeleteOutcome::NotFound;
    const PrintTemplate removed = *it;
    const auto at = entries_.erase(it);
    if (!rewrite()) {
        entries_.insert(at, removed);
        return TemplateDeleteOutcome::WriteFailed;
    }
    return TemplateDeleteOutcome::Deleted;
}

bool PrintTemplates::rewrite() {
    IniFile ini(file_);
    for (const PrintTemplate& t : entries_)
        if (t.name != kLastLayoutName)
            WriteLayout(ini, t.name, t.layout);
    if (ini.save())
        return true;
    lastError_ = ini.lastError();
    return false;
}

std::string TemplateSaveMessage(TemplateSaveOutcome outcome) {
    switch (outcome) {
    case TemplateSaveOutcome::EmptyName:
        return "保存するにはテンプレート名をつけてください  ";
    case TemplateSaveOutcome::ReservedName:
        return "その名称はアプリケーションで使われています  \r\n別の名称で保存してください  ";
    case TemplateSaveOutcome::DuplicateName:
        return "同じ名称のテンプレートが保存されています  \r\n別の名称で保存してください  ";
    case TemplateSaveOutcome::ListFull:
        return "テンプレートはこれ以上保存できません  ";
    case TemplateSaveOutcome::WriteFailed:
        return "テンプレートを保存できませんでした  ";
    case TemplateSaveOutcome::Saved:
        break;
    }
    return {};
}

std::string TemplateDeleteMessage(TemplateDeleteOutcome outcome) {
    switch (outcome) {
    case TemplateDeleteOutcome::ReservedName:
        return "その名称はアプリケーションで使われているため  \r\n削除できません  ";
    case TemplateDeleteOutcome::NotFound:
        return "指定したテンプレート名が見つかりません  ";
    case TemplateDeleteOutcome::WriteFailed:
        return "テンプレートを削除できませんでした  ";
    case TemplateDeleteOutcome::Deleted:
        break;
    }
    return {};
}

} // namespace kanata

#pragma once
// The named layouts of one source, kept in its template file in the data
// folder (one INI section per template). The first entry, when a layout in
// use is stored, is "前回のレイアウト": a copy of that layout that cannot be
// saved over or deleted and is never written to the file.
#include "printing/PrintLayout.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kanata {

inline constexpr const char* kLastLayoutName = "前回のレイアウト";
inline constexpr std::size_t kMaxTemplates = 10;

struct PrintTemplate {
    std::string name;
    PrintLayout layout;
};

enum class TemplateSaveOutcome {
    Saved,
    EmptyName,
    ReservedName,
    DuplicateName,
    ListFull,
    WriteFailed
};
enum class TemplateDeleteOutcome { Deleted, ReservedName, NotFound, WriteFailed };

// "LPRHis.tpl" or "LPAMeibo.tpl".
const char* TemplateFileName(PrintSource source);

class PrintTemplates {
public:
    PrintTemplates(std::filesystem::path file, int itemCount);

    // Reads every section of the file (a missing file: no templates); an
    // unreadable section is left out. `lastLayout` becomes entry 0.
    void load(const std::optional<PrintLayout>& lastLayout);

    const std::vector<PrintTemplate>& entries() const { return entries_; }
    const PrintTemplate* find(const std::string& name) const;
    // Templates other than "前回のレイアウト".
    std::size_t savedCount() const;
    bool canSave() const { return savedCount() < kMaxTemplates; }

    TemplateSaveOutcome save(const std::string& name, const PrintLayout& layout);
    TemplateDeleteOutcome remove(const std::string& name);
    const std::string& lastError() const { return lastError_; }

private:
    bool rewrite();

    std::filesystem::path file_;
    int itemCount_;
    std::vector<PrintTemplate> entries_;
    std::string lastError_;
};

// The message shown for a refusal; empty for Saved / Deleted.
std::string TemplateSaveMessage(TemplateSaveOutcome outcome);
std::string TemplateDeleteMessage(TemplateDeleteOutcome outcome);

} // namespace kanata

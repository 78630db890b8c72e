#pragma once
// The shipped list of ranks (the application folder's Common/History/Rank.mtd)
// that a new data folder starts with.
#include <filesystem>
#include <optional>
#include <string>

namespace kanata {

enum class RankTemplateResult {
    NotNeeded, // the data folder has its Rank.mtd already
    Copied,
    Missing, // no template shipped: the list starts empty
    Damaged, // the template does not read as an item list: nothing copied
    Failed,  // the copy could not be written: nothing left behind
};

// Copies the template to dataFolder/Rank.mtd unless the data folder has one.
// The template is read as an item list first, so a damaged one is never
// copied, and the copy appears complete or not at all.
RankTemplateResult CopyRankTemplate(const std::filesystem::path& dataFolder,
                                    const std::filesystem::path& appFolder);

// The template's bytes when it is shipped and reads as an item list; `why`
// says Missing or Damaged otherwise.
std::optional<std::string> ReadRankTemplate(const std::filesystem::path& appFolder,
                                            RankTemplateResult& why);

std::filesystem::path RankTemplatePath(const std::filesystem::path& appFolder);

// What the user is told for a damaged template.
std::string RankTemplateDamagedMessage(const std::filesystem::path& appFolder);

} // namespace kanata

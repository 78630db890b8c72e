#pragma once
// What every kanata-cli command shares: the exit statuses, the argument
// reader and the folders the program itself would use.
#include "data/StoreSettings.h"
#include "platform/DataFolderLock.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kanata::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitNoResult = 1;
inline constexpr int kExitBadInput = 2;

// Thrown for bad input; main() prints "kanata-cli: " and the text on one
// line of stderr and exits with kExitBadInput.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A message of the windows (lines ending in blanks and CR LF) on one line:
// each line end with the blanks before it becomes one space. A message
// that quotes a very long argument is cut, at a character, to a line a
// terminal can show.
std::string OneLine(const std::string& message);

// `typed` when it is UTF-8, else a UsageError: a terminal in another
// encoding passes bytes that would match names by their first bytes.
std::string TextArgument(const std::string& typed);

// The arguments after the command name. Options are taken out as they are
// asked for; what is left at the end must be the positional arguments.
class Arguments {
public:
    explicit Arguments(std::vector<std::string> args);

    // True (and removed) when the flag is present.
    bool takeFlag(const std::string& name);
    // The value after `name` ("--data DIR" or "--data=DIR"), removed; a
    // missing value is a UsageError.
    std::optional<std::string> takeOption(const std::string& name);
    // True when --help or -h is present.
    bool wantsHelp() const;
    // The remaining arguments; any left that starts with "-" (other than
    // "-" itself) is an unknown option and a UsageError. The count must lie
    // within [min, max].
    std::vector<std::string> positionals(std::size_t min, std::size_t max) const;

private:
    std::vector<std::string> args_;
};

// The folders the program uses: the work folder under $XDG_DATA_HOME and the
// data folder from the settings file's COMMON DataPath, or `dataOption`
// (--data DIR), which must name an existing folder (else UsageError).
// The store of the tables is the settings file's DATABASE section, also
// with --data (the item lists stay in the data folder).
struct Folders {
    std::filesystem::path applicationFolder;
    std::filesystem::path workFolder;
    std::filesystem::path dataFolder;
    sql::StoreSettings store;
};
Folders resolveFolders(const std::optional<std::string>& dataOption);

// Takes the data folder alone for a command that changes the tables
// (creating it when missing): false, with the reason on stderr, while the
// program or another such command uses it.
bool lockDataFolder(DataFolderLock& lock, const Folders& folders, const std::string& command);

} // namespace kanata::cli

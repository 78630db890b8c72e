#pragma once
// The self-extraction password: its rules, and the copy kept in
// FExport.pwd when the user asks for it.
//
// The saved copy is scrambled (XOR with a fixed key stream, then hex), so
// that it is not plain text in the file. That is obfuscation, not
// protection: anyone with this program's source can read it back. The file
// is written readable by its owner only.
#include <filesystem>
#include <optional>
#include <string>

namespace kanata {

inline constexpr const char* kExportPasswordFile = "FExport.pwd";
inline constexpr const char* kExportPasswordSection = "FILE EXPORT PASSWORD";

enum class PasswordField { Password, Confirmation };

struct PasswordProblem {
    std::string message;
    PasswordField field;
    bool clearConfirmation = false;
};

// The first rule the two entries break, in the order the dialog checks them.
std::optional<PasswordProblem> CheckExportPassword(const std::string& password,
                                                   const std::string& confirmation);

// True for a text of only 0-9, A-Z and a-z.
bool IsAlphanumeric(const std::string& text);

std::string ScramblePassword(const std::string& password);
// nullopt for a text that is not a scrambled password.
std::optional<std::string> UnscramblePassword(const std::string& stored);

bool SaveExportPassword(const std::filesystem::path& file, const std::string& password);
// The stored password, or nullopt when the file is missing, unreadable or
// does not hold an alphanumeric password.
std::optional<std::string> LoadExportPassword(const std::filesystem::path& file);

} // namespace kanata

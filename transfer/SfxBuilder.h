#pragma once
// Builds the self-extracting file of an encrypted export: the project's
// extractor program with the encrypted text appended. Keeps the call shape
// of the encryption library the export was written against: a 344-byte
// parameter block, a 256-byte name buffer and the owner window; 0 for done,
// 11 when the disk is full, another code for any other failure.
#include "transfer/SfxPayload.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace kanata {

struct SfxParameterBlock {
    char reserved[40]; // zero
    char password[44]; // NUL-terminated
    std::int32_t mode; // 1
    char folder[256];  // the text file's folder with a trailing "/", NUL-terminated
};
static_assert(sizeof(SfxParameterBlock) == 344, "the parameter block is 344 bytes");
inline constexpr std::size_t kSfxNameBufferSize = 256;

enum SfxResult : int {
    kSfxDone = 0,
    kSfxBadParameters = 1,
    kSfxNoExtractor = 2,
    kSfxReadFailed = 3,
    kSfxEncryptFailed = 4,
    kSfxWriteFailed = 5,
    kSfxDiskFull = 11,
    kSfxNotLoaded = 103,
};

// The extractor's file name in the application folder.
inline constexpr const char* kSfxExtractorName = "kanata-sfx";
// The extension the self-extracting file carries (kept from the original
// program's files, so users recognise them; on Linux it is run as
// "./Rireki.exe").
inline constexpr const char* kSfxExtension = ".exe";

void FillSfxParameters(SfxParameterBlock& block, char (&name)[kSfxNameBufferSize],
                       const std::string& password, const std::filesystem::path& textFile);

class SfxBuilder {
public:
    explicit SfxBuilder(std::filesystem::path extractor,
                        std::uint32_t iterations = sfx::kDefaultIterations)
        : extractor_(std::move(extractor)), iterations_(iterations) {}

    // Writes <folder>/<name without extension>.exe beside the text file.
    int DCSXCreate(const void* block, const char* name, const void* owner) const;

private:
    std::filesystem::path extractor_;
    std::uint32_t iterations_;
};

// The files of an encrypted export: the chosen output, and the temporary
// folder "Encrypt.Tmp" beside it with the text file named like the output.
struct EncryptedOutput {
    std::filesystem::path output;
    std::filesystem::path tempFolder;
    std::filesystem::path tempText;
    static EncryptedOutput For(const std::filesystem::path& chosen);
};

// Removes the temporary folder with its contents when it goes out of scope.
class TempFolderRemoval {
public:
    explicit TempFolderRemoval(std::filesystem::path folder) : folder_(std::move(folder)) {}
    ~TempFolderRemoval();
    TempFolderRemoval(const TempFolderRemoval&) = delete;
    TempFolderRemoval& operator=(const TempFolderRemoval&) = delete;

private:
    std::filesystem::path folder_;
};

// Builds the executable from the temporary text file and copies it over the
// chosen output. Returns the builder's result, or kSfxWriteFailed when the
// copy failed (nothing is left at the output then).
int BuildSelfExtractor(const SfxBuilder& builder, const EncryptedOutput& files,
                       const std::string& password, const void* owner);

// The message shown for a non-zero result.
std::string SfxFailureMessage(int result);

// A name with its extension replaced by (or extended with) ".exe".
std::filesystem::path WithSfxExtension(std::filesystem::path name);

} // namespace kanata

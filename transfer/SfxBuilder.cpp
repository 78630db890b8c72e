#include "transfer/SfxBuilder.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace kanata {
namespace {

bool readWhole(const std::filesystem::path& file, std::string& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string boundedString(const char* text, std::size_t size) {
    return std::string(text, strnlen(text, size));
}

} // namespace

void FillSfxParameters(SfxParameterBlock& block, char (&name)[kSfxNameBufferSize],
                       const std::string& password, const std::filesystem::path& textFile) {
    std::memset(&block, 0, sizeof block);
    std::memset(name, 0, sizeof name);
    std::strncpy(block.password, password.c_str(), sizeof block.password - 1);
    block.mode = 1;
    std::string folder = textFile.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    std::strncpy(block.folder, folder.c_str(), sizeof block.folder - 1);
    std::strncpy(name, textFile.filename().c_str(), kSfxNameBufferSize - 1);
}

int SfxBuilder::DCSXCreate(const void* blockBytes, const char* nameBuffer,
                           const void* /*owner*/) const {
    if (!blockBytes || !nameBuffer)
        return kSfxBadParameters;
    SfxParameterBlock block;
    std::memcpy(&block, blockBytes, sizeof block);
    const std::string password = boundedString(block.password, sizeof block.password);
    const std::filesystem::path folder = boundedString(block.folder, sizeof block.folder);
    const std::string name = boundedString(nameBuffer, kSfxNameBufferSize);
    if (password.empty() || name.empty() || folder.empty() || name.find('/') != std::string::npos)
        return kSfxBadParameters;

    std::string extractor, text;
    if (!readWhole(extractor_, extractor))
        return kSfxNoExtractor;
    if (!readWhole(folder / name, text))
        return kSfxReadFailed;
    std::string payload;
    try {
        payload = sfx::WithTrailer(sfx::Seal(name, text, password, iterations_));
    } catch (const std::exception&) {
        return kSfxEncryptFailed;
    }
    const std::filesystem::path exe =
        folder / std::filesystem::path(name).replace_extension(kSfxExtension);
    std::ofstream out(exe, std::ios::binary | std::ios::trunc);
    out << extractor << payload;
    out.flush();
    const int error = errno;
    if (!out) {
        out.close();
        std::error_code ec;
        std::filesystem::remove(exe, ec);
        return error == ENOSPC || error == EDQUOT ? kSfxDiskFull : kSfxWriteFailed;
    }
    out.close();
    std::error_code ec;
    std::filesystem::permissions(exe,
                                 std::filesystem::perms::owner_exec |
                                     std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add, ec);
    return kSfxDone;
}

EncryptedOutput EncryptedOutput::For(const std::filesystem::path& chosen) {
    EncryptedOutput files;
    files.output = chosen;
    files.tempFolder = chosen.parent_path() / "Encrypt.Tmp";
    files.tempText = files.tempFolder / chosen.filename();
    files.tempText.replace_extension(".txt");
    return files;
}

TempFolderRemoval::~TempFolderRemoval() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

int BuildSelfExtractor(const SfxBuilder& builder, const EncryptedOutput& files,
                       const std::string& password, const void* owner) {
    SfxParameterBlock block;
    char name[kSfxNameBufferSize];
    FillSfxParameters(block, name, password, files.tempText);
    const int result = builder.DCSXCreate(&block, name, owner);
    std::memset(block.password, 0, sizeof block.password);
    if (result != kSfxDone)
        return result;
    const std::filesystem::path built =
        files.tempFolder /
        std::filesystem::path(files.tempText.filename()).replace_extension(kSfxExtension);
    std::error_code ec;
    std::filesystem::copy_file(built, files.output,
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        const bool full = ec.value() == ENOSPC || ec.value() == EDQUOT;
        std::filesystem::remove(files.output, ec);
        return full ? kSfxDiskFull : kSfxWriteFailed;
    }
    std::filesystem::permissions(files.output,
                                 std::filesystem::perms::owner_exec |
                                     std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add, ec);
    return kSfxDone;
}

std::string SfxFailureMessage(int result) {
    if (result == kSfxDiskFull)
        return "空き容量が足りなかったため出力できませんでした  ";
    return "暗号化出力に失敗しましたRC = " + std::to_string(result);
}

std::filesystem::path WithSfxExtension(std::filesystem::path name) {
    return name.replace_extension(kSfxExtension);
}

} // namespace kanata

#pragma once
// What the export windows need from the running program.
#include "transfer/SfxPayload.h"

#include <QString>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

class QWidget;

namespace kanata {

class HyphenationService;
class IniFile;
class MessageService;
class TDMKanata195;

struct ExportEnvironment {
    TDMKanata195& dm;
    MessageService& messages;
    IniFile& ini; // Kanata195.ini; FExport.pwd lies beside it
    const HyphenationService* hyphenation = nullptr;
    std::array<std::string, 3> selItemCaptions{"内容", "メモ", "受付"};
    int pageSize = 200;
    bool usePbAdrs = false;
    std::filesystem::path extractor; // the self-extractor program
    std::uint32_t iterations = sfx::kDefaultIterations;
    // The save dialog: start path, filter, the filter index (1-based, in and
    // out); an empty result is a cancel. Unset = QFileDialog.
    std::function<QString(QWidget* owner, const QString& startPath, const QString& filter,
                          int& filterIndex)>
        chooseFile;

    std::filesystem::path passwordFile() const;
};

} // namespace kanata

#pragma once
// "InError.txt" in the data folder: one line per record the import could
// not register, "number,reason,raw line" with CR LF. The first failure of a
// run rewrites the file, later ones append; a run without failures leaves
// an earlier log alone. The log is written in the encoding of the imported
// file (a UTF-8 file's log is UTF-8 with a byte-order mark), so the raw
// lines come back exactly as they were read.
#include "transfer/TextFields.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace kanata {

inline constexpr const char* kImportErrorLogName = "InError.txt";

class ImportErrorLog {
public:
    ImportErrorLog(std::filesystem::path path, TextEncoding encoding)
        : path_(std::move(path)), encoding_(encoding) {}

    // `rawLine` in the file's own encoding, `reason` in UTF-8.
    void write(long long recordNumber, const std::string& reason, const std::string& rawLine);
    // False once a line could not be written (or the file not created).
    bool flush();
    long long lines() const { return lines_; }

private:
    std::filesystem::path path_;
    TextEncoding encoding_;
    std::ofstream out_;
    long long lines_ = 0;
    bool failed_ = false;
};

} // namespace kanata

#include "transfer/ImportErrorLog.h"

#include "data/Cp932.h"

namespace kanata {

void ImportErrorLog::write(long long recordNumber, const std::string& reason,
                           const std::string& rawLine) {
    if (!out_.is_open()) {
        out_.open(path_, std::ios::binary | std::ios::trunc);
        if (encoding_ == TextEncoding::Utf8)
            out_ << "\xEF\xBB\xBF";
    }
    const std::string text = encoding_ == TextEncoding::Utf8 ? reason : cp932::encode(reason);
    out_ << recordNumber << ',' << text << ',' << rawLine << "\r\n";
    if (!out_)
        failed_ = true;
    ++lines_;
}

bool ImportErrorLog::flush() {
    if (out_.is_open() && !out_.flush())
        failed_ = true;
    return !failed_;
}

} // namespace kanata

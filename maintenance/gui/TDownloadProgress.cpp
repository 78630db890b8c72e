#include "maintenance/gui/TDownloadProgress.h"

#include <algorithm>
#include <limits>

namespace kanata {
namespace {

// The bar counts kilobytes: a file's size does not fit its int range.
int kilobytes(std::int64_t bytes) {
    return static_cast<int>(std::min<std::int64_t>(bytes / 1024, std::numeric_limits<int>::max()));
}

} // namespace

TDownloadProgress::TDownloadProgress(QWidget* owner) : QProgressDialog(owner) {
    setObjectName(QStringLiteral("TDownloadProgress"));
    setWindowTitle(QStringLiteral("アップデート"));
    setCancelButtonText(QStringLiteral("キャンセル"));
    setWindowModality(Qt::ApplicationModal);
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(0);
    setMinimumWidth(360);
}

void TDownloadProgress::beginFile(const std::string& name, std::int64_t total) {
    setLabelText(QStringLiteral("ダウンロードしています：") + QString::fromStdString(name));
    // An unknown size shows a moving bar.
    setRange(0, total < 0 ? 0 : std::max(1, kilobytes(total)));
    setValue(0);
    show();
}

void TDownloadProgress::advance(std::int64_t received) {
    if (maximum() > 0)
        setValue(std::min(kilobytes(received), maximum()));
}

DownloadProgress downloadProgressWindow(QWidget* owner,
                                        std::unique_ptr<TDownloadProgress>& window) {
    DownloadProgress progress;
    progress.begin = [owner, &window](const std::string& name, std::int64_t total) {
        if (!window)
            window = std::make_unique<TDownloadProgress>(owner);
        window->beginFile(name, total);
    };
    progress.advance = [&window](std::int64_t received) {
        if (window)
            window->advance(received);
    };
    progress.cancelled = [&window] { return window && window->wasCanceled(); };
    progress.end = [&window] { window.reset(); };
    return progress;
}

} // namespace kanata

#pragma once
// The window shown while the update files are downloaded: which file, how
// far, and a button to give up. It is modal, so the rest of the program
// keeps its input out of the way while the download lets events through.
#include "maintenance/UpdateEngine.h"

#include <QProgressDialog>

#include <memory>

namespace kanata {

class TDownloadProgress : public QProgressDialog {
    Q_OBJECT
public:
    explicit TDownloadProgress(QWidget* owner);

    void beginFile(const std::string& name, std::int64_t total);
    void advance(std::int64_t received);
};

// The engine's download hooks backed by a TDownloadProgress in `window`,
// created when the first file begins (so nothing shows when nothing is
// downloaded) and closed when the download ends. `window` must outlive the
// hooks' use.
DownloadProgress downloadProgressWindow(QWidget* owner, std::unique_ptr<TDownloadProgress>& window);

} // namespace kanata

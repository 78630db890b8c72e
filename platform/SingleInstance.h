#pragma once
// Only one copy of the program runs per work folder. The first start holds a
// lock file and listens on a local socket; a later start finds the lock,
// asks the first through the socket to bring its menu window forward, and
// ends. Both are named from a hash of the work folder, so separate work
// folders (and tests running side by side) never collide. A lock left by a
// crashed instance (its process is gone) is taken over.
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

class QLockFile;
class QLocalServer;

namespace kanata {

class SingleInstance {
public:
    explicit SingleInstance(const std::filesystem::path& workFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this is the first instance; it then listens for requests.
    // False when another instance holds the work folder: that instance has
    // been asked to come forward (as far as it could be reached).
    bool acquire();

    // Takes the lock without listening and without disturbing a running
    // instance: for tools that must not work while the program runs, and
    // that keep it from starting while they do. False when it runs.
    bool holdQuietly();

    // Called (on the event loop) when a later start asks to come forward.
    void setBringForwardHandler(std::function<void()> handler) {
        onBringForward_ = std::move(handler);
    }

    const QString& lockPath() const { return lockPath_; }
    const QString& socketPath() const { return socketPath_; }

private:
    void askFirstToComeForward();
    void acceptRequests();

    QString lockPath_;
    QString socketPath_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onBringForward_;
};

} // namespace kanata

#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

namespace kanata {
namespace {

constexpr char kRequest[] = "raise\n";
constexpr qint64 kMaxRequestBytes = 256;

QString runtimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}

QString instanceName(const std::filesystem::path& workFolder) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(workFolder, ec);
    if (ec)
        canonical = workFolder.lexically_normal();
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray::fromStdString(canonical.string()), QCryptographicHash::Sha256);
    return QStringLiteral("kanata195-") + QString::fromLatin1(digest.toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const std::filesystem::path& workFolder) {
    const QString base = runtimeFolder() + QLatin1Char('/') + instanceName(workFolder);
    lockPath_ = base + QStringLiteral(".lock");
    socketPath_ = base + QStringLiteral(".sock");
}

SingleInstance::~SingleInstance() {
    server_.reset(); // removes the socket file before the lock is given up
    if (lock_)
        lock_->unlock();
}

bool SingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Never stale by age: only a lock whose process has ended is taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        askFirstToComeForward();
        return false;
    }
    acceptRequests();
    return true;
}

bool SingleInstance::holdQuietly() {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    return true;
}

void SingleInstance::acceptRequests() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file left here belongs to a dead instance.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) {
        // The program still runs as the only instance; a later start then
        // just reports that it is running without bringing it forward.
        qWarning("single instance: cannot listen on %s: %s", qPrintable(socketPath_),
                 qPrintable(server_->errorString()));
        return;
    }
    QLocalServer* server = server_.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [this, server] {
        while (QLocalSocket* client = server->nextPendingConnection()) {
            client->setReadBufferSize(kMaxRequestBytes);
            auto received = std::make_shared<QByteArray>();
            auto readRequest = [this, client, received] {
                // Anything of this user's may connect: a client that sends
                // more than a request without one is cut off.
                received->append(client->readAll());
                if (received->size() > kMaxRequestBytes) {
                    received->clear();
                    client->disconnectFromServer();
                    return;
                }
                if (received->contains(kRequest)) {
                    received->clear();
                    client->disconnectFromServer();
                    if (onBringForward_)
                        onBringForward_();
                }
            };
            QObject::connect(client, &QLocalSocket::readyRead, client, readRequest);
            QObject::connect(client, &QLocalSocket::disconnected, client, readRequest);
            QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            readRequest();
        }
    });
}

void SingleInstance::askFirstToComeForward() {
    // The first instance may be between taking the lock and listening;
    // give it a moment.
    QElapsedTimer waited;
    waited.start();
    do {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(500)) {
            socket.write(kRequest);
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return;
        }
        QThread::msleep(50);
    } while (waited.elapsed() < 2000);
}

} // namespace kanata

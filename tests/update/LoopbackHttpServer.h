#pragma once
// A small HTTP server on 127.0.0.1 for the update tests: answers each path
// from a table, or, when silent, accepts connections and never answers.
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

namespace kanata::test {

class LoopbackHttpServer : public QObject {
public:
    LoopbackHttpServer();
    quint16 port() const { return server_.serverPort(); }
    QString hostAndPort() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }

    void serve(const QString& path, const QByteArray& body, int status = 200);
    void setSilent(bool silent) { silent_ = silent; }
    // The paths asked for, in order.
    const QStringList& requests() const { return requests_; }

private:
    void answer(QTcpSocket* socket);

    QTcpServer server_;
    QHash<QString, QPair<int, QByteArray>> pages_;
    QStringList requests_;
    bool silent_ = false;
};

} // namespace kanata::test

#include "tests/update/LoopbackHttpServer.h"

#include <QTcpSocket>

namespace kanata::test {

LoopbackHttpServer::LoopbackHttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        }
    });
}

void LoopbackHttpServer::serve(const QString& path, const QByteArray& body, int status) {
    pages_[path] = {status, body};
}

void LoopbackHttpServer::answer(QTcpSocket* socket) {
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n") || silent_)
        return;
    const QString path = QString::fromLatin1(request.split(' ').value(1));
    requests_ << path;
    const auto page = pages_.value(path, {404, QByteArray("not here")});
    QByteArray reply =
        "HTTP/1.1 " + QByteArray::number(page.first) + (page.first == 200 ? " OK" : " Not Found") +
        "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
        QByteArray::number(page.second.size()) + "\r\nConnection: close\r\n\r\n" + page.second;
    socket->write(reply);
    socket->disconnectFromHost();
}

} // namespace kanata::test

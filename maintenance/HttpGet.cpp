#include "maintenance/HttpGet.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace kanata {
namespace {

QUrl urlOf(const HttpTarget& target) {
    QUrl url(QStringLiteral("http://") + target.hostAndPort);
    if (url.port() < 0)
        url.setPort(80);
    url.setPath(target.path);
    return url;
}

int remainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, left.count()));
}

} // namespace

HttpReply httpGet(const HttpTarget& target, std::chrono::steady_clock::time_point deadline,
                  const std::function<bool(const QByteArray&)>& sink) {
    HttpReply result;
    QNetworkAccessManager manager;
    QNetworkRequest request(urlOf(target));
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Kanata195"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    bool sinkRefused = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    if (sink)
        QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
            if (!sink(reply->readAll())) {
                sinkRefused = true;
                reply->abort();
            }
        });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(remainingMs(deadline));
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();
    if (sink && !sinkRefused && reply->bytesAvailable() > 0 && !sink(reply->readAll()))
        sinkRefused = true;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (timedOut) {
        result.errorCode = kHttpTimedOut;
        result.errorText = QStringLiteral("サーバーが応答しません");
    } else if (sinkRefused) {
        result.errorCode = QNetworkReply::OperationCanceledError;
        result.errorText = QStringLiteral("受信したデータを保存できません");
    } else if (result.status == 0 && reply->error() != QNetworkReply::NoError) {
        // No HTTP answer at all (refused, unreachable, reset). An answer with
        // an error status still counts as sent: its body is what the server
        // said, and the caller judges it.
        result.errorCode = static_cast<int>(reply->error());
        result.errorText = reply->errorString();
    } else {
        result.sent = true;
        if (!sink)
            result.body = reply->readAll();
    }
    delete reply;
    return result;
}

bool canAttemptConnection(const QString& hostAndPort) {
    const QString host = QUrl(QStringLiteral("http://") + hostAndPort).host();
    if (host == QStringLiteral("localhost") || QHostAddress(host).isLoopback())
        return true;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) &&
            flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack) && !i.addressEntries().isEmpty())
            return true;
    }
    return false;
}

} // namespace kanata

#include "maintenance/HttpGet.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <memory>

namespace kanata {
namespace {

// Qt keeps no more than this of a body that is not read yet.
constexpr qint64 kReadBuffer = 64 * 1024;
constexpr int kCancelPollMs = 100;

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
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT32_MAX));
}

QNetworkRequest requestFor(const HttpTarget& target) {
    QNetworkRequest request(urlOf(target));
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Kanata195"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    return request;
}

// One GET and the reasons it may be ended early.
class Exchange {
public:
    Exchange(const HttpTarget& target, const HttpLimits& limits,
             const std::function<bool(const QByteArray&)>& sink)
        : limits_(limits), sink_(sink), reply_(manager_.get(requestFor(target))) {
        reply_->setReadBufferSize(kReadBuffer);
    }

    HttpReply run() {
        QEventLoop loop;
        QTimer silence, deadline, cancelPoll;
        silence.setSingleShot(true);
        deadline.setSingleShot(true);
        QObject::connect(&silence, &QTimer::timeout, &loop, [this] { stop(Ending::TimedOut); });
        QObject::connect(&deadline, &QTimer::timeout, &loop, [this] { stop(Ending::TimedOut); });
        QObject::connect(&cancelPoll, &QTimer::timeout, &loop, [this] {
            if (limits_.cancelled())
                stop(Ending::Cancelled);
        });
        QObject::connect(reply_.get(), &QNetworkReply::metaDataChanged, &loop,
                         [this] { checkAnnouncedLength(); });
        QObject::connect(reply_.get(), &QNetworkReply::readyRead, &loop, [this, &silence] {
            silence.start();
            take();
        });
        QObject::connect(reply_.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        silence.start(static_cast<int>(limits_.silence.count()));
        if (limits_.deadline != std::chrono::steady_clock::time_point::max())
            deadline.start(remainingMs(limits_.deadline));
        if (limits_.cancelled)
            cancelPoll.start(kCancelPollMs);
        if (!reply_->isFinished())
            loop.exec(limits_.cancelled ? QEventLoop::AllEvents
                                        : QEventLoop::ExcludeUserInputEvents);
        if (ending_ == Ending::None)
            take();
        return result();
    }

private:
    enum class Ending { None, TimedOut, TooLarge, SinkRefused, Cancelled };

    void stop(Ending why) {
        if (ending_ != Ending::None)
            return;
        ending_ = why;
        reply_->abort();
    }

    void checkAnnouncedLength() {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits_.maxBodyBytes)
            stop(Ending::TooLarge);
    }

    void take() {
        if (ending_ != Ending::None)
            return;
        const QByteArray piece = reply_->readAll();
        received_ += piece.size();
        if (received_ > limits_.maxBodyBytes)
            return stop(Ending::TooLarge);
        if (!sink_)
            body_ += piece;
        else if (!piece.isEmpty() && !sink_(piece))
            stop(Ending::SinkRefused);
    }

    HttpReply result() const {
        HttpReply r;
        r.status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        switch (ending_) {
        case Ending::TimedOut:
            return failed(r, kHttpTimedOut, QStringLiteral("サーバーが応答しません"));
        case Ending::TooLarge:
            return failed(r, kHttpBodyTooLarge,
                          QStringLiteral("サーバーから受け取るデータが大きすぎます"));
        case Ending::SinkRefused:
            return failed(r, QNetworkReply::OperationCanceledError,
                          QStringLiteral("受信したデータを保存できません"));
        case Ending::Cancelled:
            return failed(r, kHttpCancelled, QStringLiteral("中止しました"));
        case Ending::None:
            break;
        }
        // No HTTP answer at all (refused, unreachable, reset). An answer with
        // an error status still counts as sent: its body is what the server
        // said, and the caller judges it.
        if (r.status == 0 && reply_->error() != QNetworkReply::NoError)
            return failed(r, static_cast<int>(reply_->error()), reply_->errorString());
        r.sent = true;
        r.body = body_;
        return r;
    }

    static HttpReply failed(HttpReply r, int code, const QString& text) {
        r.errorCode = code;
        r.errorText = text;
        return r;
    }

    const HttpLimits& limits_;
    const std::function<bool(const QByteArray&)>& sink_;
    QNetworkAccessManager manager_;
    std::unique_ptr<QNetworkReply> reply_;
    Ending ending_ = Ending::None;
    std::int64_t received_ = 0;
    QByteArray body_;
};

} // namespace

HttpReply httpGet(const HttpTarget& target, const HttpLimits& limits,
                  const std::function<bool(const QByteArray&)>& sink) {
    return Exchange(target, limits, sink).run();
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

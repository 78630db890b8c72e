#pragma once
// Takes the place of the desktop's browser for web addresses while it
// exists: the addresses the program opens are recorded, nothing starts.
#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace kanata::test {

class BrowserStandIn : public QObject {
    Q_OBJECT
public:
    BrowserStandIn() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~BrowserStandIn() override {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QStringList opened;

public slots:
    void open(const QUrl& url) { opened << url.toString(QUrl::FullyEncoded); }
};

} // namespace kanata::test

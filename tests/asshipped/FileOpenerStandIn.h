#pragma once
// Takes the place of the desktop's file opener while it exists: the local
// files the program hands to the desktop are recorded, nothing starts.
#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace kanata::test {

class FileOpenerStandIn : public QObject {
    Q_OBJECT
public:
    FileOpenerStandIn() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~FileOpenerStandIn() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList opened;

public slots:
    void open(const QUrl& url) { opened << url.toLocalFile(); }
};

} // namespace kanata::test

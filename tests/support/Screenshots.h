#pragma once
// Pictures of the windows for the documentation, written to the folder in
// KANATA_SCREENSHOT_DIR (e.g. docs/screenshots). The picture tests skip when
// it is not set:
//     if (!screenshots.wanted())
//         GTEST_SKIP() << "KANATA_SCREENSHOT_DIR not set";
#include <QString>

class QWidget;

namespace kanata::test {

class Screenshots {
public:
    Screenshots();
    bool wanted() const { return !folder_.isEmpty(); }
    // Shows the window, lets it paint and writes its picture as `fileName`.
    void save(QWidget& window, const char* fileName) const;

private:
    QString folder_;
};

} // namespace kanata::test

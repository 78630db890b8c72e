#include "tests/support/Screenshots.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

namespace kanata::test {

Screenshots::Screenshots() : folder_(qEnvironmentVariable("KANATA_SCREENSHOT_DIR")) {}

void Screenshots::save(QWidget& window, const char* fileName) const {
    window.show();
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    ASSERT_FALSE(picture.isNull()) << fileName;
    EXPECT_TRUE(picture.save(folder_ + QLatin1Char('/') + QLatin1String(fileName))) << fileName;
}

} // namespace kanata::test

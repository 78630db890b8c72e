#include "data/DateTime.h"

#include <gtest/gtest.h>

using namespace kanata;

TEST(DateTime, DayCountMatchesTheStoredFormats) {
    EXPECT_EQ(DateTime{}.toText(), "1899-12-30 00:00:00.000");
    EXPECT_DOUBLE_EQ(DateTime{}.toDays(), 0.0);
    const DateTime t{2026, 3, 1, 18, 0, 0, 0};
    EXPECT_DOUBLE_EQ(t.toDays(), 46082.75);
    EXPECT_EQ(DateTime::fromDays(46082.75), t);
    // Before the epoch the fraction is still the time of day.
    EXPECT_EQ(DateTime::fromDays(-1.25), (DateTime{1899, 12, 29, 6, 0, 0, 0}));
    EXPECT_DOUBLE_EQ((DateTime{1899, 12, 29, 6, 0, 0, 0}).toDays(), -1.25);
    // A fraction that rounds up to midnight belongs to the next day.
    EXPECT_EQ(DateTime::fromDays(1.0 - 1e-10), (DateTime{1899, 12, 31, 0, 0, 0, 0}));
}

TEST(DateTime, TextRoundTripAndWeekday) {
    const DateTime t{2024, 2, 29, 23, 59, 59, 999};
    EXPECT_EQ(DateTime::fromText(t.toText()), t);
    EXPECT_EQ(DateTime::fromText("2024-02-29 23:59:59"), TruncateToSeconds(t));
    EXPECT_FALSE(DateTime::fromText("2024-02-29T23:59:59"));
    EXPECT_FALSE(DateTime::fromText("2024-13-01 00:00:00"));
    EXPECT_EQ(DayOfWeek({2026, 3, 1}), 1); // Sunday
    EXPECT_EQ(DayOfWeek({2026, 3, 7}), 7); // Saturday
    EXPECT_EQ(DayOfWeek({1899, 12, 30}), 7);
    EXPECT_EQ(DayOfWeek({1899, 12, 24}), 1);
}

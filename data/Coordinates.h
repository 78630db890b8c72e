#pragma once
// Latitudes and longitudes. The tables store milliseconds of arc; the
// phonebook data gives 1/256 seconds of arc.
#include <cstdint>

namespace kanata {

// value x 1000 / 256, rounded to the nearest integer with halves away from
// zero, in exact integer arithmetic. Values beyond the range of the result
// are clamped to it.
int32_t PhonebookCoordinateToMilliseconds(int64_t value256thSeconds);

// An angle split into degrees, minutes, seconds and milliseconds of arc; the
// sign is kept apart so that -0° 30' can be told from 0° 30'.
struct ArcDms {
    bool negative = false;
    int32_t degrees = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
    int32_t milliseconds = 0;
};

ArcDms MillisecondsToDms(int32_t millisecondsOfArc);
// Parts out of range (minutes above 59, ...) simply add up.
int64_t DmsToMilliseconds(const ArcDms& dms);

} // namespace kanata

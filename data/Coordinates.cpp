#include "data/Coordinates.h"

#include <limits>

namespace kanata {

int32_t PhonebookCoordinateToMilliseconds(int64_t value256thSeconds) {
    constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
    constexpr int64_t kSmallest = std::numeric_limits<int32_t>::min();
    // Any input beyond this bound gives a result beyond int32 anyway, and
    // keeping below it keeps value x 1000 inside int64.
    constexpr int64_t kBound = (kLargest + 1) * 256 / 1000 + 1;
    if (value256thSeconds > kBound)
        return static_cast<int32_t>(kLargest);
    if (value256thSeconds < -kBound)
        return static_cast<int32_t>(kSmallest);
    const int64_t scaled = value256thSeconds * 1000;
    int64_t quotient = scaled / 256; // truncates towards zero
    const int64_t remainder = scaled % 256;
    if (remainder >= 128)
        ++quotient;
    else if (remainder <= -128)
        --quotient;
    if (quotient > kLargest)
        return static_cast<int32_t>(kLargest);
    if (quotient < kSmallest)
        return static_cast<int32_t>(kSmallest);
    return static_cast<int32_t>(quotient);
}

ArcDms MillisecondsToDms(int32_t millisecondsOfArc) {
    ArcDms dms;
    dms.negative = millisecondsOfArc < 0;
    int64_t rest = millisecondsOfArc;
    if (rest < 0)
        rest = -rest;
    dms.milliseconds = static_cast<int32_t>(rest % 1000);
    rest /= 1000;
    dms.seconds = static_cast<int32_t>(rest % 60);
    rest /= 60;
    dms.minutes = static_cast<int32_t>(rest % 60);
    dms.degrees = static_cast<int32_t>(rest / 60);
    return dms;
}

int64_t DmsToMilliseconds(const ArcDms& dms) {
    const int64_t total =
        ((int64_t{dms.degrees} * 60 + dms.minutes) * 60 + dms.seconds) * 1000 + dms.milliseconds;
    return dms.negative ? -total : total;
}

} // namespace kanata

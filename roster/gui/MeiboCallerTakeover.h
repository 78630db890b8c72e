#pragma once
// A caller the number search found in the call history becomes the edited
// record: every field of its record is taken over.
#include "data/CallRecord.h"
#include "roster/MeiboFields.h"

namespace kanata {

// Fills every field of `f` that a call record holds; the coordinates are the
// editor's to take.
void TakeOverCaller(const CallRecord& r, MeiboFields& f);

} // namespace kanata

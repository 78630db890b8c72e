#pragma once
// Qt (6.4) starts its worker threads detached. Waiting on such a thread ends
// when it has finished its work, before it has run its thread-local clean-up,
// which releases the thread's own bookkeeping. A process that ends inside
// that window leaves the block unreferenced, and the leak checker of a
// sanitizer build reports it. Waiting until the other threads have really
// gone closes the window.
#include <chrono>

namespace kanata {

// Waits until this process has no thread but the calling one, at most
// `limit`; true when that was reached.
bool waitForOtherThreadsToEnd(std::chrono::milliseconds limit = std::chrono::seconds(2));

} // namespace kanata

#include "data/OrderPrefetch.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

namespace kanata {

// The same state before and after the read means that nothing was
// committed in between, so the read saw what that state stands for.
OrderRead ReadWholeOrder(Table& table, const Query& query) {
    OrderRead order;
    order.committed = table.committedState();
    order.keys = table.keysInOrder(query);
    if (order.committed && table.committedState() != order.committed)
        order.committed.reset();
    return order;
}

OrderMarks MarkPages(const OrderRead& order, int pageSize) {
    const std::vector<std::int64_t>& keys = order.keys;
    OrderMarks marks{{}, static_cast<std::int64_t>(keys.size()), order.committed};
    for (std::size_t at = 0; at < keys.size(); at += static_cast<std::size_t>(pageSize))
        marks.starts.push_back(keys[at]);
    return marks;
}

namespace {
struct Sort {
    Query query;
    int pageSize = 0;
    bool operator==(const Sort&) const = default;
};
} // namespace

// What the thread and its owner share; the thread keeps it alive past its
// owner while a sort runs.
struct OrderPrefetch::Shared {
    std::function<std::unique_ptr<Table>()> openReader;
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Sort> asked, running, done;
    std::optional<OrderMarks> marks; // of `done`
    bool stopping = false;
};

namespace {
std::optional<OrderMarks> sorted(const std::function<std::unique_ptr<Table>()>& open,
                                 std::unique_ptr<Table>& reader, const Sort& sort) {
    try {
        if (!reader)
            reader = open();
        return MarkPages(ReadWholeOrder(*reader, sort.query), sort.pageSize);
    } catch (const std::exception&) {
        // The desk sorts on its own connection instead, which reports what
        // went wrong; a lost connection is made again for the next sort.
        reader.reset();
        return std::nullopt;
    }
}
} // namespace

OrderPrefetch::OrderPrefetch(const Table& table) : shared_(std::make_shared<Shared>()) {
    shared_->openReader = table.readerOpener();
}

OrderPrefetch::~OrderPrefetch() {
    bool busy = false;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        busy = shared_->running.has_value();
    }
    shared_->changed.notify_all();
    if (!thread_.joinable())
        return;
    if (busy)
        thread_.detach();
    else
        thread_.join();
}

void OrderPrefetch::request(const Query& query, int pageSize, bool stale) {
    Sort sort{query, pageSize};
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->running == sort || (shared_->done == sort && !stale))
            return;
        if (shared_->done == sort) {
            shared_->done.reset();
            shared_->marks.reset();
        }
        shared_->asked = std::move(sort);
    }
    shared_->changed.notify_all();
    if (thread_.joinable())
        return;
    thread_ = std::thread([shared = shared_] {
        std::unique_ptr<Table> reader;
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->changed.wait(lock, [&] { return shared->stopping || shared->asked; });
            if (shared->stopping)
                return;
            shared->running = std::move(shared->asked);
            shared->asked.reset();
            const Sort sort = *shared->running;
            lock.unlock();
            std::optional<OrderMarks> marks = sorted(shared->openReader, reader, sort);
            lock.lock();
            shared->done = std::move(shared->running);
            shared->running.reset();
            shared->marks = std::move(marks);
            shared->changed.notify_all();
        }
    });
}

std::optional<OrderMarks> OrderPrefetch::marks(const Query& query, int pageSize) {
    const Sort sort{query, pageSize};
    std::lock_guard lock(shared_->mutex);
    return shared_->done == sort ? shared_->marks : std::nullopt;
}

void OrderPrefetch::dropUnstarted(const Query& query, int pageSize) {
    const Sort sort{query, pageSize};
    std::lock_guard lock(shared_->mutex);
    if (shared_->asked == sort)
        shared_->asked.reset();
}

void OrderPrefetch::waitUntilIdle() {
    std::unique_lock lock(shared_->mutex);
    shared_->changed.wait(lock, [&] { return !shared_->asked && !shared_->running; });
}

} // namespace kanata

#include "data/OrderPrefetch.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

namespace kanata {

std::vector<std::int64_t> PageStarts(const std::vector<std::int64_t>& keys, int pageSize) {
    std::vector<std::int64_t> starts;
    for (std::size_t at = 0; at < keys.size(); at += static_cast<std::size_t>(pageSize))
        starts.push_back(keys[at]);
    return starts;
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
    std::optional<std::vector<std::int64_t>> starts; // of `done`
    bool stopping = false;
};

namespace {
std::optional<std::vector<std::int64_t>> sorted(const std::function<std::unique_ptr<Table>()>& open,
                                                std::unique_ptr<Table>& reader, const Sort& sort) {
    try {
        if (!reader)
            reader = open();
        return PageStarts(reader->keysInOrder(sort.query), sort.pageSize);
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

void OrderPrefetch::request(const Query& query, int pageSize) {
    Sort sort{query, pageSize};
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->running == sort || shared_->done == sort)
            return;
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
            std::optional<std::vector<std::int64_t>> starts =
                sorted(shared->openReader, reader, sort);
            lock.lock();
            shared->done = std::move(shared->running);
            shared->running.reset();
            shared->starts = std::move(starts);
            shared->changed.notify_all();
        }
    });
}

std::optional<std::vector<std::int64_t>> OrderPrefetch::pageStarts(const Query& query,
                                                                   int pageSize) {
    const Sort sort{query, pageSize};
    std::lock_guard lock(shared_->mutex);
    if (shared_->asked == sort)
        shared_->asked.reset();
    return shared_->done == sort ? shared_->starts : std::nullopt;
}

void OrderPrefetch::waitUntilIdle() {
    std::unique_lock lock(shared_->mutex);
    shared_->changed.wait(lock, [&] { return !shared_->asked && !shared_->running; });
}

} // namespace kanata

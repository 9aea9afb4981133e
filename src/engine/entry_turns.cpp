#include "entry_turns.h"

#include <algorithm>
#include <optional>
#include <thread>

namespace engine {

void EntryTurns::awaitEarlier(std::size_t entry) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_endedBefore >= entry; });
}

void EntryTurns::end(std::size_t entry) {
    {
        const std::lock_guard lock(m_mutex);
        m_ended[entry] = true;
        while (m_endedBefore < m_ended.size() && m_ended[m_endedBefore])
            ++m_endedBefore;
    }
    m_changed.notify_all();
}

void Processors::take() {
    std::unique_lock lock(m_mutex);
    m_freed.wait(lock, [this] { return m_free > 0; });
    --m_free;
}

void Processors::give() {
    {
        const std::lock_guard lock(m_mutex);
        ++m_free;
    }
    m_freed.notify_one();
}

void WorkerSlot::waitAside(const std::function<void()>& wait) {
    if (m_processors)
        m_processors->give();
    wait();
    if (m_processors)
        m_processors->take();
}

void RunOnWorkers(std::size_t count, std::size_t workers, const std::function<bool()>& mayStart,
                  const std::function<void(std::size_t entry, WorkerSlot& slot)>& convert) {
    // Entries begun and not ended, per worker: enough to keep the processors busy behind a long
    // book, few enough that the books held meanwhile stay few.
    constexpr std::size_t kEntriesPerWorker = 4;
    std::mutex taking;
    std::size_t next = 0;
    // Entries are taken under the lock, so those never started are the last ones.
    const auto take = [&]() -> std::optional<std::size_t> {
        const std::lock_guard lock(taking);
        if (next >= count)
            return std::nullopt;
        if (!mayStart()) {
            next = count;
            return std::nullopt;
        }
        return next++;
    };
    if (workers <= 1) {
        WorkerSlot alone;
        while (const std::optional<std::size_t> entry = take())
            convert(*entry, alone);
        return;
    }
    Processors processors(workers);
    const auto work = [&] {
        WorkerSlot slot(&processors);
        while (const std::optional<std::size_t> entry = take()) {
            processors.take();
            convert(*entry, slot);
            processors.give();
        }
    };
    const std::size_t threads = std::min(count, workers * kEntriesPerWorker);
    std::vector<std::thread> running;
    for (std::size_t i = 1; i < threads; ++i)
        running.emplace_back(work);
    work();
    for (std::thread& thread : running)
        thread.join();
}

} // namespace engine

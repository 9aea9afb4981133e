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

void RunOnWorkers(std::size_t count, std::size_t workers, const std::function<bool()>& mayStart,
                  const std::function<void(std::size_t entry)>& convert) {
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
    const auto work = [&] {
        while (const std::optional<std::size_t> entry = take())
            convert(*entry);
    };
    workers = std::clamp<std::size_t>(workers, 1, std::max<std::size_t>(count, 1));
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
}

} // namespace engine

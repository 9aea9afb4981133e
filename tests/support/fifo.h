#pragma once
// A FIFO where a file is expected, for the readers that must refuse it without waiting for a
// writer (POSIX only).

#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>

namespace testing_support {

inline bool makeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

// What `read` returns, or nullopt when it was still waiting on the FIFO at `path` after a few
// seconds; it is then let go by a writer that opens and closes the FIFO, so the test fails
// rather than hangs.
template <class Read>
auto resultWithoutWaiting(const std::string& path, Read read) -> std::optional<decltype(read())> {
    auto pending = std::async(std::launch::async, read);
    if (pending.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
        return pending.get();
    const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
    pending.wait();
    return std::nullopt;
}

} // namespace testing_support

#endif

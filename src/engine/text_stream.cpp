#include "text_stream.h"

#include <cstring>

namespace engine {

std::optional<std::size_t> MakeTextAsRead(std::string& bytes, EventPump& pump) {
    const std::size_t stop = bytes.find('\x1A');
    if (stop != std::string::npos)
        bytes.resize(stop);
    // Compacts in place: every run between two CRs moves down over the CRs dropped so far. A text
    // whose lines end in a CR alone has a run per line, so events are served along the way.
    char* const data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t to = 0;
    std::size_t from = 0;
    std::size_t nextPump = kEventPumpBlock;
    while (from < size) {
        if (from >= nextPump) {
            pump.ProcessPendingEvents();
            nextPump = from + kEventPumpBlock;
        }
        const void* cr = std::memchr(data + from, '\r', size - from);
        const std::size_t end =
            cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : size;
        if (to != from)
            std::memmove(data + to, data + from, end - from);
        to += end - from;
        from = end + 1;
    }
    bytes.resize(to);
    return stop != std::string::npos ? std::optional<std::size_t>(stop) : std::nullopt;
}

} // namespace engine

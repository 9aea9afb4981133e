#include "text_stream.h"

#include <algorithm>
#include <cstring>

namespace engine {

std::optional<std::size_t> MakeTextAsRead(std::string& bytes, EventPump& pump) {
    const std::size_t stop = bytes.find('\x1A');
    if (stop != std::string::npos)
        bytes.resize(stop);
    const auto result = stop != std::string::npos ? std::optional<std::size_t>(stop) : std::nullopt;
    // No LF in the text: its CRs end its lines. CR is no trail byte of code page 932, so each is
    // a character of its own.
    if (bytes.find('\n') == std::string::npos) {
        for (std::size_t from = 0; from < bytes.size(); from += kEventPumpBlock) {
            if (from > 0)
                pump.ProcessPendingEvents();
            const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(from);
            std::replace(
                begin,
                begin + static_cast<std::ptrdiff_t>(std::min(kEventPumpBlock, bytes.size() - from)),
                '\r', '\n');
        }
        return result;
    }
    // Compacts in place: every run between two CRs moves down over the CRs dropped so far. A text
    // full of stray CRs has a run per CR, so events are served along the way.
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
    return result;
}

} // namespace engine

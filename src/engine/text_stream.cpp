#include "text_stream.h"

#include <algorithm>
#include <cstring>

namespace engine {

bool AppendAsTextStreamRead(std::string& text, std::string_view bytes, std::size_t limit) {
    const std::size_t stop = bytes.find('\x1A');
    std::string_view kept = bytes.substr(0, stop);
    while (!kept.empty() && text.size() < limit) {
        const std::size_t cr = kept.find('\r');
        const std::size_t run = std::min({cr, kept.size(), limit - text.size()});
        text.append(kept.substr(0, run));
        kept.remove_prefix(run);
        if (!kept.empty() && kept.front() == '\r')
            kept.remove_prefix(1);
    }
    return stop == std::string_view::npos && text.size() < limit;
}

void MakeTextAsRead(std::string& bytes, EventPump& pump) {
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
}

} // namespace engine

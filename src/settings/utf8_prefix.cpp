#include "utf8_prefix.h"

#include "engine/utf8.h"

#include <algorithm>

namespace settings {

std::string_view Utf8PrefixWithin(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.size() <= maxBytes)
        return bytes;
    std::size_t end = 0;
    while (end < bytes.size()) {
        // A byte that starts no well-formed sequence counts as a character of its own.
        const std::size_t length = std::max<std::size_t>(engine::utf8SequenceLength(bytes, end), 1);
        if (end + length > maxBytes)
            break;
        end += length;
    }
    return bytes.substr(0, end);
}

} // namespace settings

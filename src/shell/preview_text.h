#pragma once

#include <cstddef>
#include <string>

namespace shell {

inline constexpr std::size_t kPreviewCharacters = 10000;

struct PreviewBytes {
    bool opened = false;
    std::string bytes;  // as a text stream delivers them
    std::string reason; // when not opened: the system's words
};

// The head of a source file for the preview: read as a text stream (every CR dropped, the first
// 0x1A ends the file) until `limit` bytes have been delivered. A double-byte character may be cut
// after its first byte. `path` is in file-system bytes.
PreviewBytes ReadPreviewBytes(const std::string& path, std::size_t limit = kPreviewCharacters);

} // namespace shell

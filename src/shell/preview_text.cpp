#include "shell/preview_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace shell {

PreviewBytes ReadPreviewBytes(const std::string& path, std::size_t limit) {
    PreviewBytes result;
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        result.reason = std::strerror(errno);
        return result;
    }
    result.opened = true;
    char buffer[4096];
    while (result.bytes.size() < limit) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        for (std::size_t i = 0; i < got && result.bytes.size() < limit; ++i) {
            const char byte = buffer[i];
            if (byte == '\x1A')
                return result;
            if (byte != '\r')
                result.bytes += byte;
        }
        if (got < sizeof buffer)
            break;
    }
    if (std::ferror(file.get())) {
        // Opened but unreadable, a folder for one.
        result = PreviewBytes{false, {}, std::strerror(errno)};
    }
    return result;
}

} // namespace shell

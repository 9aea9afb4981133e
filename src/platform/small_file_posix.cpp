#include "platform/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace platform {

std::optional<std::string> ReadSmallRegularFile(const std::filesystem::path& path,
                                                std::size_t maxBytes) {
    // A device is not even opened; the type is checked again once the file is open, in case
    // another took its place. Opening a FIFO waits for its writer, so it opens without blocking.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return std::nullopt;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char block[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return bytes;
        if (static_cast<std::size_t>(got) > maxBytes - bytes.size()) // it grew meanwhile
            return std::nullopt;
        bytes.append(block, static_cast<std::size_t>(got));
    }
}

} // namespace platform

#include "files/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace files {
namespace {

constexpr std::size_t kBlock = 64 * 1024;

FileBytes unreadable(int error) {
    FileBytes result;
    result.outcome = FileBytes::Outcome::Unreadable;
    result.reason = std::generic_category().message(error);
    return result;
}

// Opens `path` for reading; -1 with the outcome in `failure` when it cannot be.
int openForReading(const std::string& path, FileBytes& failure) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT && errno != ENOTDIR)
        failure = unreadable(errno);
    return fd;
}

struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
};

} // namespace

FileBytes ReadFileBlocks(const std::string& path,
                         const std::function<bool(std::string_view block)>& take) {
    FileBytes result;
    const int fd = openForReading(path, result);
    if (fd < 0)
        return result;
    const Closer closer{fd};
    char block[kBlock];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return unreadable(errno);
        }
        if (got == 0 || !take(std::string_view(block, static_cast<std::size_t>(got))))
            break;
    }
    result.outcome = FileBytes::Outcome::Read;
    return result;
}

FileBytes ReadFileStart(const std::string& path, std::size_t maxBytes) {
    std::string start;
    FileBytes result = ReadFileBlocks(path, [&](std::string_view block) {
        start.append(block.substr(0, maxBytes - start.size()));
        return start.size() < maxBytes;
    });
    if (result.outcome == FileBytes::Outcome::Read)
        result.bytes = std::move(start);
    return result;
}

FileBytes ReadWholeFile(const std::string& path, std::int64_t maxBytes,
                        const std::function<void()>& betweenBlocks) {
    FileBytes result;
    const int fd = openForReading(path, result);
    if (fd < 0)
        return result;
    const Closer closer{fd};

    struct stat info {};
    std::size_t expected = 0;
    if (::fstat(fd, &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return unreadable(EISDIR);
        if (S_ISREG(info.st_mode))
            expected = static_cast<std::size_t>(info.st_size);
    }
    const auto tooLarge = [&](std::size_t size) {
        return maxBytes != kNoSizeLimit && size > static_cast<std::size_t>(maxBytes);
    };
    if (tooLarge(expected)) {
        result.outcome = FileBytes::Outcome::TooLarge;
        return result;
    }
    // A regular file is read straight into its place, with room to grow in (see
    // RoomToGrowIn); anything else (or a file that grows meanwhile) is appended block by block.
    result.bytes.reserve(RoomToGrowIn(expected));
    result.bytes.resize(expected);
    std::size_t filled = 0;
    char block[kBlock];
    for (;;) {
        if (betweenBlocks)
            betweenBlocks();
        const bool inPlace = filled < expected;
        char* target = inPlace ? result.bytes.data() + filled : block;
        const std::size_t room = inPlace ? std::min(kBlock, expected - filled) : kBlock;
        const ssize_t got = ::read(fd, target, room);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return unreadable(errno);
        }
        if (got == 0)
            break;
        if (!inPlace)
            result.bytes.append(block, static_cast<std::size_t>(got));
        filled += static_cast<std::size_t>(got);
        if (tooLarge(filled)) { // a pipe, or a file that grows while it is read
            result.bytes = std::string();
            result.outcome = FileBytes::Outcome::TooLarge;
            return result;
        }
    }
    // A file that shrank meanwhile.
    if (filled < expected)
        result.bytes.resize(filled);
    result.outcome = FileBytes::Outcome::Read;
    return result;
}

} // namespace files

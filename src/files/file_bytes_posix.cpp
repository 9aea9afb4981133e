#include "files/file_bytes_system.h"

#include "engine/file_error.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace files {

namespace {

// Why a file that is not a regular one is not read.
void setNotRegular(FileBytes& failure, mode_t mode) {
    failure.outcome = FileBytes::Outcome::Unreadable;
    const bool folder = S_ISDIR(mode);
    failure.reason =
        folder ? std::generic_category().message(EISDIR) : std::string(kNotARegularFile);
    failure.code = folder ? EISDIR : engine::kNotARegularFileCode;
}

} // namespace

ReadingFile::ReadingFile(const std::string& path, FileBytes& failure, Accept accept) {
    const bool regularOnly = accept == Accept::RegularOnly;
    // A device is not even opened (opening some has effects); the type is checked again once the
    // file is open, in case another file took its place meanwhile. Opening a FIFO waits for its
    // writer, so it is opened without blocking.
    struct stat info {};
    if (regularOnly && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        setNotRegular(failure, info.st_mode);
        return;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0));
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            failure.outcome = FileBytes::Outcome::Unreadable;
            failure.code = errno;
            failure.reason = std::generic_category().message(failure.code);
        }
        return;
    }
    if (regularOnly) {
        if (::fstat(fd, &info) != 0) {
            failure.outcome = FileBytes::Outcome::Unreadable;
            failure.code = errno;
            failure.reason = std::generic_category().message(failure.code);
            ::close(fd);
            return;
        }
        if (!S_ISREG(info.st_mode)) {
            setNotRegular(failure, info.st_mode);
            ::close(fd);
            return;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    m_handle = fd;
}

ReadingFile::~ReadingFile() {
    if (isOpen())
        ::close(static_cast<int>(m_handle));
}

ReadingFile::Kind ReadingFile::kind() const {
    Kind kind;
    struct stat info {};
    if (::fstat(static_cast<int>(m_handle), &info) == 0) {
        kind.folder = S_ISDIR(info.st_mode);
        if (S_ISREG(info.st_mode))
            kind.size = static_cast<std::size_t>(info.st_size);
    }
    return kind;
}

long long ReadingFile::read(char* target, std::size_t room, std::string& reason, int& code) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(m_handle), target, room);
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            code = errno;
            reason = std::generic_category().message(code);
            return -1;
        }
    }
}

void AdviseLargeBuffer(char* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    // Only whole huge pages inside the buffer; the advice is a hint, and its failure (a kernel
    // without transparent huge pages) changes nothing.
    constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t to = (begin + bytes) & ~(kHugePage - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace files

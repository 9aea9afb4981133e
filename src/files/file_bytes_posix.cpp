#include "files/file_bytes_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace files {

ReadingFile::ReadingFile(const std::string& path, FileBytes& failure, Accept accept) {
    const bool regularOnly = accept == Accept::RegularOnly;
    // Opening a FIFO waits for its writer; without blocking, it is open at once and refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0));
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            failure.outcome = FileBytes::Outcome::Unreadable;
            failure.reason = std::generic_category().message(errno);
        }
        return;
    }
    if (regularOnly) {
        struct stat info {};
        const bool statted = ::fstat(fd, &info) == 0;
        const int error = errno;
        if (!statted || !S_ISREG(info.st_mode)) {
            ::close(fd);
            failure.outcome = FileBytes::Outcome::Unreadable;
            failure.reason = !statted                ? std::generic_category().message(error)
                             : S_ISDIR(info.st_mode) ? std::generic_category().message(EISDIR)
                                                     : std::string(kNotARegularFile);
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

long long ReadingFile::read(char* target, std::size_t room, std::string& reason) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(m_handle), target, room);
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            reason = std::generic_category().message(errno);
            return -1;
        }
    }
}

} // namespace files

#include "files/file_bytes_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace files {

ReadingFile::ReadingFile(const std::string& path, FileBytes& failure) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            failure.outcome = FileBytes::Outcome::Unreadable;
            failure.reason = std::generic_category().message(errno);
        }
        return;
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

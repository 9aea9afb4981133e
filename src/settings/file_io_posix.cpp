#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace settings {
namespace {

std::string SystemReason(int error) { return std::generic_category().message(error); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Opens a new, empty file beside `path` that no one else can have opened: O_EXCL refuses a name
// that exists, and the name carries the process id and a counter.
int CreateTemporaryBeside(const std::string& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".tmp-" + std::to_string(::getpid()) + "-" +
                   std::to_string(counter.fetch_add(1));
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

FileBytes ReadWholeFile(const std::string& path) {
    FileBytes result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            result.outcome = FileBytes::Outcome::Missing;
        } else {
            result.outcome = FileBytes::Outcome::Unreadable;
            result.reason = SystemReason(error);
        }
        return result;
    }
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            result.bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            result.outcome = FileBytes::Outcome::Unreadable;
            result.bytes.clear();
            result.reason = SystemReason(error);
            return result;
        }
    }
    ::close(fd);
    result.outcome = FileBytes::Outcome::Read;
    return result;
}

WriteStatus ReplaceFileContents(const std::string& path, std::string_view bytes) {
    // Renaming would replace even a file the user made read-only; refuse as a direct write would.
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return WriteStatus::Failure(SystemReason(errno));

    std::string tempPath;
    const int fd = CreateTemporaryBeside(path, tempPath);
    if (fd < 0)
        return WriteStatus::Failure(SystemReason(errno));

    auto fail = [&](int error, bool stillOpen) {
        if (stillOpen)
            ::close(fd);
        ::unlink(tempPath.c_str());
        return WriteStatus::Failure(SystemReason(error));
    };
    if (exists)
        (void)::fchmod(fd, existing.st_mode & 07777); // keep the old file's permissions
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0)
        return fail(errno, true);
    if (::close(fd) != 0)
        return fail(errno, false);
    if (::rename(tempPath.c_str(), path.c_str()) != 0)
        return fail(errno, false);

    // Make the rename itself durable; the new contents are in place either way.
    const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return WriteStatus::Success();
}

} // namespace settings

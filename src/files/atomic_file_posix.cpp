#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

namespace files {
namespace {

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a link names, so that the link stays a link; the path itself when it is none.
std::string followLinks(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return resolved;
    // A dangling link: the file it names does not exist yet, so the link itself is replaced.
    return path;
}

} // namespace

struct AtomicFile::Handle {
    int fd;
};

AtomicFile::AtomicFile(std::string finalPath, std::string temporaryPath,
                       std::unique_ptr<Handle> handle)
    : m_finalPath(std::move(finalPath)), m_temporaryPath(std::move(temporaryPath)),
      m_handle(std::move(handle)) {}

std::unique_ptr<AtomicFile> AtomicFile::create(const std::string& requestedPath,
                                               std::string& error) {
    const std::string path = followLinks(requestedPath);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        error = systemReason(EISDIR);
        return nullptr;
    }
    // Renaming would replace even a file the user made read-only; refuse as a direct write would.
    if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        error = systemReason(errno);
        return nullptr;
    }
    // A name of our own beside the final file, so the rename stays within one file system;
    // O_EXCL never takes over a file that happens to have that name.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = path + ".pagelume-" + std::to_string(::getpid()) + "-" +
                                std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (exists)
                (void)::fchmod(fd, existing.st_mode & 07777);
            return std::unique_ptr<AtomicFile>(
                new AtomicFile(path, std::move(temporary), std::make_unique<Handle>(Handle{fd})));
        }
        if (errno != EEXIST) {
            error = systemReason(errno);
            return nullptr;
        }
    }
    error = systemReason(EEXIST);
    return nullptr;
}

AtomicFile::~AtomicFile() {
    if (m_handle)
        ::close(m_handle->fd);
    if (!m_committed)
        ::unlink(m_temporaryPath.c_str());
}

bool AtomicFile::write(std::string_view bytes, std::string& error) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_handle->fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = systemReason(errno);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool AtomicFile::finish(std::string& error) {
    if (!m_handle)
        return true;
    const int fd = m_handle->fd;
    m_handle.reset();
    // A full disk often shows only when the data reaches the disk or the file is closed.
    if (::fsync(fd) != 0) {
        error = systemReason(errno);
        ::close(fd);
        return false;
    }
    if (::close(fd) != 0) {
        error = systemReason(errno);
        return false;
    }
    return true;
}

bool AtomicFile::commit(std::string& error) {
    if (!finish(error))
        return false;
    if (::rename(m_temporaryPath.c_str(), m_finalPath.c_str()) != 0) {
        error = systemReason(errno);
        return false;
    }
    m_committed = true;
    // Make the rename itself durable; the new contents are in place either way.
    const int folder = ::open(folderOf(m_finalPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return true;
}

} // namespace files

#include "files/atomic_file.h"

#include "files/atomic_file_system.h"
#include "files/atomic_file_testing.h"
#include "files/staging_folder_posix.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <system_error>

namespace files {
namespace {

FileError systemError(int error) {
    return FileError::System(std::generic_category().message(error), error);
}

engine::LeftBehind leftBehind(const std::string& path, int error, bool folder) {
    return {path, systemError(error).reason, folder, error};
}

void syncFolderOf(const std::string& path) {
    const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
}

// Whether a link in `folder` may be followed: in a shared folder (sticky and writable by all, like
// /tmp) another user may plant a link to one of this user's files, so there, as the kernel's
// protected_symlinks has it, only a link of this user or of the folder's owner is followed.
bool mayFollow(const std::string& folder, const struct stat& link) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return false;
    const bool shared = (info.st_mode & S_ISVTX) && (info.st_mode & S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == info.st_uid;
}

// The file a link names, so that the link stays a link; the path itself when it is none. Each
// link of a chain is read here, so that the one checked is the one followed.
bool followLinks(const std::string& path, std::string& followed, FileError& error) {
    followed = path;
    std::string current = path;
    // As many links as the kernel follows in one path before it gives up.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        // A dangling link: the file it names does not exist yet, so the link itself is replaced.
        if (::lstat(current.c_str(), &info) != 0)
            return true;
        if (!S_ISLNK(info.st_mode)) {
            followed = current;
            return true;
        }
        const std::string folder = FolderOf(current);
        if (!mayFollow(folder, info)) {
            // Refused as the kernel refuses such a link: as no access.
            error = FileError::System("a link in a shared folder that another user owns is not "
                                      "followed",
                                      EACCES);
            return false;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size())
            return true; // unreadable: the link itself is replaced, as a dangling one is
        target.resize(static_cast<std::size_t>(length));
        current = target.starts_with('/') ? target
                  : folder == "/"         ? "/" + target
                                          : folder + "/" + target;
    }
    return true; // a loop of links names no file: the link itself is replaced
}

bool simulatingFat() {
    return testing::SimulatingNoLinksNoRenameNoReplace();
}

int linkFile(const std::string& from, const std::string& to) {
    if (simulatingFat()) {
        errno = EPERM; // as vfat answers
        return -1;
    }
    return ::link(from.c_str(), to.c_str());
}

// The answers of a file system that has no hard links at all.
bool noLinksHere(int error) {
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS;
}

// Renames `from` to `to` unless `to` exists. In one step where the file system can: renameat2, or
// a hard link (which refuses an existing name) and the removal of the old name. Where it has
// neither (FAT, exFAT, SMB shares) the name is first claimed by an empty file of ours, made only
// where nothing stands (O_EXCL), which the rename then replaces.
int renameWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (!simulatingFat()) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            return -1;
    }
#endif
    if (linkFile(from, to) == 0) {
        (void)::unlink(from.c_str());
        return 0;
    }
    if (!noLinksHere(errno))
        return -1;
    const int claim = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (claim < 0)
        return -1;
    ::close(claim);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        const int reason = errno;
        (void)::unlink(to.c_str());
        errno = reason;
        return -1;
    }
    return 0;
}

// Gives the unnamed file open at `fd` the name `name` in the folder open at `folder` (AT_FDCWD
// for a path); fails with EEXIST where something stands. Through /proc, as linkat's own way of
// naming an open file (AT_EMPTY_PATH) is kept for privileged processes.
int nameUnnamed(int fd, int folder, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW);
}

// Unnamed files finished and held open, waiting to be placed. A few are: a single output keeps
// no name until it is placed; the parts of a long series go to the staging folder.
constexpr int kMostHeldOpen = 16;
std::atomic<int> heldOpen{0};

#ifdef __linux__
// Files of a series wait for the disk together: one syncfs() before the first of them replaces
// another flushes all finished so far, where a flush per file made replacing a series of
// thousands take minutes. Files are numbered as they are finished; per file system, `flushed`
// is the number up to which a syncfs() has covered them.
struct FlushLedger {
    std::mutex mutex;
    std::uint64_t finished = 0;
    std::map<dev_t, std::uint64_t> flushed;
};

FlushLedger& flushLedger() {
    static FlushLedger ledger;
    return ledger;
}

std::uint64_t noteFinished() {
    FlushLedger& ledger = flushLedger();
    const std::lock_guard lock(ledger.mutex);
    return ++ledger.finished;
}

// Flushes the file system of `folder` unless a flush since file number `finishedAs` was finished
// has already covered it. `fallback`, when not -1, is a descriptor of a file there, for a folder
// that cannot be read.
bool flushFinished(const std::string& folder, int fallback, std::uint64_t finishedAs,
                   FileError& error) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int folderError = errno;
    if (fd < 0 && fallback >= 0)
        fd = ::dup(fallback);
    if (fd < 0) {
        error = systemError(folderError);
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok) {
        FlushLedger& ledger = flushLedger();
        const std::lock_guard lock(ledger.mutex);
        std::uint64_t& flushed = ledger.flushed[info.st_dev];
        if (flushed < finishedAs) {
            const std::uint64_t through = ledger.finished;
            ok = ::syncfs(fd) == 0;
            if (ok)
                flushed = through;
        }
    }
    if (!ok)
        error = systemError(errno);
    ::close(fd);
    return ok;
}
#endif

} // namespace

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

struct AtomicFile::Handle {
    int fd;
    bool held = false; // counted in heldOpen

    explicit Handle(int descriptor) : fd(descriptor) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (held)
            --heldOpen;
        if (fd >= 0)
            ::close(fd);
    }
    // Closes the file, with the system's answer.
    int close() {
        const int result = ::close(fd);
        fd = -1;
        return result;
    }
};

AtomicFile::AtomicFile(std::string finalPath, std::string temporaryPath, Existing existing,
                       std::intptr_t systemHandle)
    : m_finalPath(std::move(finalPath)), m_temporaryPath(std::move(temporaryPath)),
      m_existing(existing), m_handle(std::make_unique<Handle>(static_cast<int>(systemHandle))) {}

bool InspectFinalPath(const std::string& requestedPath, FinalTarget& target, FileError& error) {
    if (!followLinks(requestedPath, target.path, error))
        return false;
    struct stat info {};
    target.exists = ::stat(target.path.c_str(), &info) == 0;
    if (target.exists) {
        target.folder = S_ISDIR(info.st_mode);
        target.regular = S_ISREG(info.st_mode);
        target.state = info.st_mode & 07777;
    }
    return true;
}

bool MayReplace(const FinalTarget& target, FileError& error) {
    if (::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) {
        error = systemError(errno);
        return false;
    }
    return true;
}

TemporaryOpening OpenTemporary(const std::string& path, const FinalTarget& target,
                               std::intptr_t& handle, FileError& error) {
    // O_EXCL never takes over a file that happens to have that name.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        if (target.exists)
            (void)::fchmod(fd, target.state);
        handle = fd;
        return TemporaryOpening::Opened;
    }
    const int reason = errno;
    error = systemError(reason);
    return reason == EEXIST ? TemporaryOpening::NameTaken : TemporaryOpening::Failed;
}

bool OpenUnnamedTemporary(const FinalTarget& target, std::intptr_t& handle) {
#ifdef O_TMPFILE
    // FAT and exFAT have no unnamed files either; /proc names them when they are placed.
    if (testing::SimulatingNoUnnamedFiles() || ::access("/proc/self/fd", X_OK) != 0)
        return false;
    const int fd = ::open(FolderOf(target.path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    if (target.exists)
        (void)::fchmod(fd, target.state);
    handle = fd;
    return true;
#else
    (void)target;
    (void)handle;
    return false;
#endif
}

unsigned long long CurrentProcessId() {
    return static_cast<unsigned long long>(::getpid());
}

AtomicFile::~AtomicFile() {
    (void)discard();
    if (m_placed && !m_asidePath.empty())
        ::unlink(m_asidePath.c_str()); // placed and never undone: the placing stands
}

std::optional<engine::LeftBehind> AtomicFile::discard() {
    m_handle.reset(); // an unnamed file goes with its last handle
    std::optional<engine::LeftBehind> left;
    if (!m_placed && !m_temporaryPath.empty()) {
        if (::unlink(m_temporaryPath.c_str()) != 0 && errno != ENOENT)
            left = leftBehind(m_temporaryPath, errno, false);
        m_temporaryPath.clear();
    }
    // The last file to leave the staging folder removes it; one that cannot go is named too.
    if (!m_placed && m_staging) {
        if (m_staging.use_count() == 1 && !left && ::rmdir(m_staging->path().c_str()) != 0 &&
            errno != ENOENT)
            left = leftBehind(m_staging->path(), errno, true);
        m_staging.reset();
    }
    return left;
}

bool AtomicFile::write(std::string_view bytes, FileError& error) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_handle->fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = systemError(errno);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool AtomicFile::finish(FileError& error) {
    if (m_finished)
        return true;
    m_finished = true;
    // A file that will replace another reaches the disk before the rename, so that a power cut
    // leaves the old file or the whole new one (its data and size; the rest of its metadata need
    // not wait). Where nothing stands yet there is nothing to lose, and a batch of new files need
    // not wait for the disk once a file. On Linux the files of a series are flushed together,
    // in place(); a file written alone still waits only for itself.
#ifdef __linux__
    const bool flushNow = m_alone;
#else
    const bool flushNow = true;
#endif
    struct stat existing {};
    const bool replaces =
        flushNow && m_existing == Existing::Replace && ::lstat(m_finalPath.c_str(), &existing) == 0;
    if (replaces && ::fdatasync(m_handle->fd) != 0) {
        error = systemError(errno);
        m_handle.reset();
        return false;
    }
    if (m_temporaryPath.empty() && !holdOrStage(error)) {
        m_handle.reset();
        return false;
    }
    if (m_handle->fd >= 0 && !m_handle->held) {
        if (m_handle->close() != 0) {
            error = systemError(errno);
            m_handle.reset();
            return false;
        }
        m_handle.reset();
    }
#ifdef __linux__
    if (!flushNow)
        m_finishedAs = noteFinished();
#endif
    return true;
}

// An unnamed file that is finished stays open, unnamed, while few are held; else it waits under
// a name in this run's staging folder.
bool AtomicFile::holdOrStage(FileError& error) {
    if (heldOpen.fetch_add(1) < kMostHeldOpen) {
        m_handle->held = true;
        return true;
    }
    --heldOpen;
    std::shared_ptr<StagingFolder> staging = StagingFolder::Beside(m_finalPath, error);
    if (!staging)
        return false;
    const std::string name = staging->nextName();
    if (nameUnnamed(m_handle->fd, staging->descriptor(), name) != 0) {
        error = systemError(errno);
        return false;
    }
    m_temporaryPath = staging->path() + "/" + name;
    m_staging = std::move(staging);
    return true;
}

// An unnamed file held open takes its final name directly where nothing may be replaced (a link
// refuses an existing name), else a name beside it for the instant of the rename.
bool AtomicFile::nameForPlacing(FileError& error) {
    const int fd = m_handle->fd;
    if (m_existing == Existing::Keep) {
        if (nameUnnamed(fd, AT_FDCWD, m_finalPath) != 0) {
            error = errno == EEXIST ? FileError::Of(FileError::Cause::AlreadyExists)
                                    : systemError(errno);
            return false;
        }
        m_handle.reset();
        m_placed = true;
        return true;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = BesideName(m_finalPath, ".tmp");
        if (nameUnnamed(fd, AT_FDCWD, temporary) == 0) {
            m_temporaryPath = std::move(temporary);
            m_handle.reset();
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = systemError(errno);
    return false;
}

bool AtomicFile::place(FileError& error) {
    if (!finish(error))
        return false;
#ifdef __linux__
    // A replacing file of a series reaches the disk with all finished so far, before any rename.
    struct stat present {};
    if (m_existing == Existing::Replace && m_finishedAs != 0 &&
        ::lstat(m_finalPath.c_str(), &present) == 0) {
        if (!flushFinished(FolderOf(m_finalPath), m_handle ? m_handle->fd : -1, m_finishedAs,
                           error))
            return false;
        m_finishedAs = 0;
    }
#endif
    if (m_temporaryPath.empty()) {
        if (!nameForPlacing(error))
            return false;
        if (m_placed)
            return true;
    }
    if (m_existing == Existing::Keep) {
        if (renameWithoutReplacing(m_temporaryPath, m_finalPath) != 0) {
            error = errno == EEXIST ? FileError::Of(FileError::Cause::AlreadyExists)
                                    : systemError(errno);
            return false;
        }
    } else {
        // The file being replaced keeps a second name until the placing is confirmed: a hard
        // link where the file system has them, else it is moved aside.
        struct stat info {};
        bool linked = false;
        if (::lstat(m_finalPath.c_str(), &info) == 0) {
            std::string aside = BesideName(m_finalPath, ".old");
            linked = linkFile(m_finalPath, aside) == 0;
            if (linked || ::rename(m_finalPath.c_str(), aside.c_str()) == 0)
                m_asidePath = std::move(aside);
        }
        if (::rename(m_temporaryPath.c_str(), m_finalPath.c_str()) != 0) {
            const int reason = errno;
            // A second link leaves the old file where it was (a rename between two links of one
            // file does nothing); a file moved aside goes back.
            if (linked)
                (void)::unlink(m_asidePath.c_str());
            else if (!m_asidePath.empty())
                (void)::rename(m_asidePath.c_str(), m_finalPath.c_str());
            m_asidePath.clear();
            error = systemError(reason);
            return false;
        }
    }
    m_placed = true;
    m_staging.reset(); // the last file to leave the staging folder removes it
    return true;
}

void AtomicFile::confirm() {
    if (!m_asidePath.empty())
        (void)::unlink(m_asidePath.c_str());
    m_asidePath.clear();
}

void AtomicFile::syncFolder() const {
    syncFolderOf(m_finalPath);
}

std::optional<engine::UndoFault> AtomicFile::undo() {
    if (!m_placed)
        return std::nullopt;
    std::optional<engine::UndoFault> fault;
    if (!m_asidePath.empty()) {
        if (::rename(m_asidePath.c_str(), m_finalPath.c_str()) != 0)
            fault = engine::UndoFault{true, m_asidePath};
    } else if (::unlink(m_finalPath.c_str()) != 0 && errno != ENOENT) {
        fault = engine::UndoFault{true, {}};
    }
    m_asidePath.clear();
    m_placed = false;
    m_temporaryPath.clear();
    return fault;
}

} // namespace files

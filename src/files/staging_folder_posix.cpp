#include "files/staging_folder_posix.h"

#include "files/atomic_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <map>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

namespace files {
namespace {

constexpr std::string_view kOurPrefix = ".pagelume-";
constexpr std::string_view kStagingSuffix = ".staging";

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<StagingFolder>> staging; // by output folder
    std::set<std::string> swept;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// The process that named a staging folder ".pagelume-PID-N.staging"; 0 for another name.
pid_t stagingOwner(std::string_view name) {
    if (!name.starts_with(kOurPrefix) || !name.ends_with(kStagingSuffix))
        return 0;
    name.remove_prefix(kOurPrefix.size());
    long long pid = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (ec != std::errc() || end == name.data() || *end != '-' || pid <= 0)
        return 0;
    return static_cast<pid_t>(pid);
}

bool processLives(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Removes the staging folder `name` in `folder` if the run that made it is gone: its process no
// longer exists and nobody holds its lock. Only a folder of this user's is touched.
void removeIfAbandoned(int folder, const char* name, pid_t owner) {
    if (owner == ::getpid() || processLives(owner))
        return;
    const int fd = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid() ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    const int listing = ::dup(fd);
    if (DIR* entries = listing >= 0 ? ::fdopendir(listing) : nullptr) {
        while (const dirent* entry = ::readdir(entries)) {
            const std::string_view part = entry->d_name;
            if (part != "." && part != "..")
                (void)::unlinkat(fd, entry->d_name, 0);
        }
        ::closedir(entries);
    } else if (listing >= 0) {
        ::close(listing);
    }
    (void)::unlinkat(folder, name, AT_REMOVEDIR);
    ::close(fd);
}

engine::FileError systemError(int error) {
    return engine::FileError::System(std::generic_category().message(error), error);
}

} // namespace

void SweepFolderOnce(const std::string& path) {
    const std::string folder = FolderOf(path);
    {
        Registry& r = registry();
        const std::lock_guard lock(r.mutex);
        if (!r.swept.insert(folder).second)
            return;
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const int listing = ::dup(fd);
    DIR* entries = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        if (const pid_t owner = stagingOwner(entry->d_name))
            removeIfAbandoned(fd, entry->d_name, owner);
    }
    ::closedir(entries);
    ::close(fd);
}

std::shared_ptr<StagingFolder> StagingFolder::Beside(const std::string& finalPath,
                                                     engine::FileError& error) {
    const std::string folder = FolderOf(finalPath);
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    if (std::shared_ptr<StagingFolder> existing = r.staging[folder].lock())
        return existing;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = BesideName(finalPath, kStagingSuffix.data());
        if (::mkdir(path.c_str(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            error = systemError(errno);
            return nullptr;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = systemError(errno);
            if (fd >= 0)
                ::close(fd);
            (void)::rmdir(path.c_str());
            return nullptr;
        }
        std::shared_ptr<StagingFolder> made(new StagingFolder(std::move(path), fd));
        r.staging[folder] = made;
        return made;
    }
    error = systemError(EEXIST);
    return nullptr;
}

StagingFolder::~StagingFolder() {
    // Removed while still locked, so that no other run ever sees it unlocked and empty. A folder
    // that cannot be removed now (its parent made read-only) is left to the next run's sweep.
    (void)::rmdir(m_path.c_str());
    ::close(m_fd);
}

} // namespace files

#include "files/folder_lock.h"

#include "files/atomic_file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace files {
namespace {

class FolderLock final : public engine::PlacingLock {
  public:
    explicit FolderLock(int fd) : m_fd(fd) {}
    ~FolderLock() override { ::close(m_fd); } // closing lets the lock go
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

  private:
    int m_fd;
};

} // namespace

std::unique_ptr<engine::PlacingLock> LockFolderOf(const std::string& path,
                                                  const std::function<void()>& waiting) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return std::make_unique<FolderLock>(fd);
    if (errno == EWOULDBLOCK) {
        if (waiting)
            waiting();
        if (::flock(fd, LOCK_EX) == 0)
            return std::make_unique<FolderLock>(fd);
    }
    ::close(fd);
    return nullptr;
}

} // namespace files

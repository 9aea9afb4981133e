#include "files/folder_lock.h"

#include "files/system_text_win.h"

namespace files {
namespace {

// Windows locks byte ranges of files, not folders: the lock is taken on a hidden file in the
// folder that goes when its last handle is closed, so that nothing stays on the reader's card,
// even after a run that was killed.
constexpr const char* kLockName = ".pagelume.lock";

class FolderLock final : public engine::PlacingLock {
  public:
    explicit FolderLock(HANDLE file) : m_file(file) {}
    ~FolderLock() override { CloseHandle(m_file); } // closing lets the lock go
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

  private:
    HANDLE m_file;
};

// The folder part of `path` with its separator, or "" for the working folder.
std::string folderPrefix(const std::string& path) {
    const auto separator = path.find_last_of("/\\");
    if (separator == std::string::npos)
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
    return path.substr(0, separator + 1);
}

bool lockRange(HANDLE file, DWORD flags) {
    OVERLAPPED at{};
    return LockFileEx(file, flags, 0, 1, 0, &at) != 0;
}

} // namespace

std::unique_ptr<engine::PlacingLock> LockFolderOf(const std::string& path,
                                                  const std::function<void()>& waiting) {
    const std::optional<std::wstring> name = WideFromUtf8(folderPrefix(path) + kLockName);
    if (!name)
        return nullptr;
    bool toldWaiting = false;
    auto tellWaiting = [&] {
        if (!toldWaiting && waiting)
            waiting();
        toldWaiting = true;
    };
    // A lock file that its last holder has just closed is on its way out and cannot be opened
    // for a moment; the next one is made once it is gone.
    for (int attempt = 0; attempt < 200; ++attempt) {
        const HANDLE file =
            CreateFileW(name->c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_ACCESS_DENIED)
                return nullptr; // a folder that cannot hold the file: placed without turns
            Sleep(10);
            continue;
        }
        if (lockRange(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY))
            return std::make_unique<FolderLock>(file);
        tellWaiting();
        if (lockRange(file, LOCKFILE_EXCLUSIVE_LOCK))
            return std::make_unique<FolderLock>(file);
        CloseHandle(file);
        return nullptr;
    }
    return nullptr;
}

} // namespace files

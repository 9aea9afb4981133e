#include "files/file_bytes_system.h"

#include "files/system_text_win.h"

#include "engine/file_error.h"

#include <cerrno>
#include <system_error>

namespace files {
namespace {

HANDLE handleOf(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

void setUnreadable(FileBytes& failure, std::string reason, int code) {
    failure.outcome = FileBytes::Outcome::Unreadable;
    failure.reason = std::move(reason);
    failure.code = code;
}

void setUnreadable(FileBytes& failure, DWORD error) {
    setUnreadable(failure, SystemErrorText(error), static_cast<int>(error));
}

} // namespace

ReadingFile::ReadingFile(const std::string& path, FileBytes& failure, Accept accept) {
    const std::optional<std::wstring> wide = WideFromUtf8(path);
    if (!wide) {
        setUnreadable(failure, ERROR_NO_UNICODE_TRANSLATION);
        return;
    }
    // A folder is named as such, in the words the other systems use, rather than with the "access
    // denied" that opening it as a file gives.
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        setUnreadable(failure, std::generic_category().message(EISDIR), ERROR_DIRECTORY);
        return;
    }
    // Others may go on writing, renaming or deleting the file meanwhile, as on POSIX.
    const HANDLE handle = CreateFileW(wide->c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A missing file, or a missing folder on the way to it, leaves the outcome Missing.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
            error != ERROR_INVALID_DRIVE)
            setUnreadable(failure, error);
        return;
    }
    // A pipe or a device ("CON", "NUL") is no file on a disk.
    if (accept == Accept::RegularOnly && GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        setUnreadable(failure, kNotARegularFile, engine::kNotARegularFileCode);
        return;
    }
    m_handle = reinterpret_cast<std::intptr_t>(handle);
}

ReadingFile::~ReadingFile() {
    if (isOpen())
        CloseHandle(handleOf(m_handle));
}

// Only a file on a disk has a size to trust; a pipe or a device is read to its end. A folder was
// refused when it was opened.
ReadingFile::Kind ReadingFile::kind() const {
    Kind kind;
    LARGE_INTEGER size{};
    if (GetFileType(handleOf(m_handle)) == FILE_TYPE_DISK &&
        GetFileSizeEx(handleOf(m_handle), &size))
        kind.size = static_cast<std::size_t>(size.QuadPart);
    return kind;
}

// A pipe whose writer has gone is at its end.
long long ReadingFile::read(char* target, std::size_t room, std::string& reason, int& code) {
    DWORD got = 0;
    if (!ReadFile(handleOf(m_handle), target, static_cast<DWORD>(room), &got, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
            return 0;
        reason = SystemErrorText(error);
        code = static_cast<int>(error);
        return -1;
    }
    return got;
}

void AdviseLargeBuffer(char*, std::size_t) {
    // Large pages need a privilege ordinary users lack: the default pages serve.
}

} // namespace files

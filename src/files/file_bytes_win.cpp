#include "files/file_bytes.h"

#include "files/system_text_win.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace files {
namespace {

constexpr std::size_t kBlock = 64 * 1024;

FileBytes unreadable(std::string reason) {
    FileBytes result;
    result.outcome = FileBytes::Outcome::Unreadable;
    result.reason = std::move(reason);
    return result;
}

struct Closer {
    HANDLE handle;
    ~Closer() { CloseHandle(handle); }
};

// Opens `path` for reading; INVALID_HANDLE_VALUE with the outcome in `failure` when it cannot be.
HANDLE openForReading(const std::string& path, FileBytes& failure) {
    const std::optional<std::wstring> wide = WideFromUtf8(path);
    if (!wide) {
        failure = unreadable(SystemErrorText(ERROR_NO_UNICODE_TRANSLATION));
        return INVALID_HANDLE_VALUE;
    }
    // A folder is named as such, in the words the other systems use, rather than with the "access
    // denied" that opening it as a file gives.
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        failure = unreadable(std::generic_category().message(EISDIR));
        return INVALID_HANDLE_VALUE;
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
            failure = unreadable(SystemErrorText(error));
    }
    return handle;
}

// One read: the bytes read, 0 at the end of the file, -1 with the reason in `reason`. A pipe
// whose writer has gone is at its end.
long long readSome(HANDLE handle, char* target, std::size_t room, std::string& reason) {
    DWORD got = 0;
    if (!ReadFile(handle, target, static_cast<DWORD>(room), &got, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
            return 0;
        reason = SystemErrorText(error);
        return -1;
    }
    return got;
}

} // namespace

FileBytes ReadFileBlocks(const std::string& path,
                         const std::function<bool(std::string_view block)>& take) {
    FileBytes result;
    const HANDLE handle = openForReading(path, result);
    if (handle == INVALID_HANDLE_VALUE)
        return result;
    const Closer closer{handle};
    std::string block(kBlock, '\0');
    for (;;) {
        std::string reason;
        const long long got = readSome(handle, block.data(), block.size(), reason);
        if (got < 0)
            return unreadable(std::move(reason));
        if (got == 0 || !take(std::string_view(block.data(), static_cast<std::size_t>(got))))
            break;
    }
    result.outcome = FileBytes::Outcome::Read;
    return result;
}

FileBytes ReadFileStart(const std::string& path, std::size_t maxBytes) {
    std::string start;
    FileBytes result = ReadFileBlocks(path, [&](std::string_view block) {
        start.append(block.substr(0, maxBytes - start.size()));
        return start.size() < maxBytes;
    });
    if (result.outcome == FileBytes::Outcome::Read)
        result.bytes = std::move(start);
    return result;
}

FileBytes ReadWholeFile(const std::string& path, std::int64_t maxBytes,
                        const std::function<void()>& betweenBlocks) {
    FileBytes result;
    const HANDLE handle = openForReading(path, result);
    if (handle == INVALID_HANDLE_VALUE)
        return result;
    const Closer closer{handle};

    // Only a file on a disk has a size to trust; a pipe or a device is read to its end.
    std::size_t expected = 0;
    LARGE_INTEGER size{};
    if (GetFileType(handle) == FILE_TYPE_DISK && GetFileSizeEx(handle, &size))
        expected = static_cast<std::size_t>(size.QuadPart);
    const auto tooLarge = [&](std::size_t bytes) {
        return maxBytes != kNoSizeLimit && bytes > static_cast<std::size_t>(maxBytes);
    };
    if (tooLarge(expected)) {
        result.outcome = FileBytes::Outcome::TooLarge;
        return result;
    }
    // A regular file is read straight into its place, with room to grow in (see
    // RoomToGrowIn); anything else (or a file that grows meanwhile) is appended block by block.
    result.bytes.reserve(RoomToGrowIn(expected));
    result.bytes.resize(expected);
    std::size_t filled = 0;
    std::string block(kBlock, '\0');
    for (;;) {
        if (betweenBlocks)
            betweenBlocks();
        const bool inPlace = filled < expected;
        char* target = inPlace ? result.bytes.data() + filled : block.data();
        const std::size_t room = inPlace ? std::min(kBlock, expected - filled) : kBlock;
        std::string reason;
        const long long got = readSome(handle, target, room, reason);
        if (got < 0)
            return unreadable(std::move(reason));
        if (got == 0)
            break;
        if (!inPlace)
            result.bytes.append(block.data(), static_cast<std::size_t>(got));
        filled += static_cast<std::size_t>(got);
        if (tooLarge(filled)) { // a pipe, or a file that grows while it is read
            result.bytes = std::string();
            result.outcome = FileBytes::Outcome::TooLarge;
            return result;
        }
    }
    // A file that shrank meanwhile.
    if (filled < expected)
        result.bytes.resize(filled);
    result.outcome = FileBytes::Outcome::Read;
    return result;
}

} // namespace files

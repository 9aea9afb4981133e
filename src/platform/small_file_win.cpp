#include "platform/small_file.h"

#include <windows.h>

namespace platform {

std::optional<std::string> ReadSmallRegularFile(const std::filesystem::path& path,
                                                std::size_t maxBytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    struct Closer {
        HANDLE file;
        ~Closer() { CloseHandle(file); }
    } closer{file};
    // A folder cannot be opened so; a pipe or a device ("CON", "NUL") is no file on a disk.
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) ||
        static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return std::nullopt;

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char block[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, block, sizeof block, &got, nullptr))
            return std::nullopt;
        if (got == 0)
            return bytes;
        if (got > maxBytes - bytes.size()) // it grew meanwhile
            return std::nullopt;
        bytes.append(block, got);
    }
}

} // namespace platform

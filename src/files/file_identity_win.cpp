#include "files/file_identity.h"

#include "files/system_text_win.h"

#include <windows.h>

namespace files {
namespace {

std::optional<FileIdentity> identityOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                            info.nFileIndexLow};
}

} // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    const std::optional<std::wstring> wide = WideFromUtf8(path);
    if (!wide)
        return std::nullopt;
    // No access asked: the file's identity is had even where its contents may not be read.
    const HANDLE handle =
        CreateFileW(wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const std::optional<FileIdentity> identity = identityOf(handle);
    CloseHandle(handle);
    return identity;
}

std::optional<FileIdentity> IdentityOfStandardInput() {
    const HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        GetFileType(handle) != FILE_TYPE_DISK)
        return std::nullopt;
    return identityOf(handle);
}

} // namespace files

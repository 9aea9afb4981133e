#include "files/system_fault.h"

#include <windows.h>

namespace files {

const int kNotFoundCode = ERROR_FILE_NOT_FOUND;
const int kIsAFolderCode = ERROR_DIRECTORY;
const int kOutOfMemoryCode = ERROR_NOT_ENOUGH_MEMORY;
const int kTooLargeCode = ERROR_FILE_TOO_LARGE;

// The standard library reports some errors by errno, which numbers them differently.
int SystemCodeOf(const std::error_code& error) {
    return error.category() == std::system_category() ? error.value() : 0;
}

namespace detail {

SystemFault SystemFaultOfSystemCode(int code) {
    switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return SystemFault::NotFound;
    case ERROR_ACCESS_DENIED:
        return SystemFault::NoAccess;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return SystemFault::DiskFull;
    case ERROR_WRITE_PROTECT:
        return SystemFault::ReadOnly;
    case ERROR_FILENAME_EXCED_RANGE:
        return SystemFault::NameTooLong;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return SystemFault::AlreadyExists;
    case ERROR_DIRECTORY:
        return SystemFault::IsAFolder;
    case ERROR_FILE_TOO_LARGE:
        return SystemFault::TooLarge;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return SystemFault::OutOfMemory;
    default:
        return SystemFault::Other;
    }
}

} // namespace detail
} // namespace files

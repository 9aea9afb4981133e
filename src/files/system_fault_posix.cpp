#include "files/system_fault.h"

#include <cerrno>

namespace files {

const int kNotFoundCode = ENOENT;
const int kIsAFolderCode = EISDIR;
const int kOutOfMemoryCode = ENOMEM;
const int kTooLargeCode = EFBIG;

int SystemCodeOf(const std::error_code& error) {
    return error.category() == std::generic_category() || error.category() == std::system_category()
               ? error.value()
               : 0;
}

namespace detail {

SystemFault SystemFaultOfSystemCode(int code) {
    switch (code) {
    case ENOENT:
    case ENOTDIR: // a file on the way stands where a folder should: the path leads nowhere
        return SystemFault::NotFound;
    case EACCES:
    case EPERM:
        return SystemFault::NoAccess;
    case ENOSPC:
    case EDQUOT:
        return SystemFault::DiskFull;
    case EROFS:
        return SystemFault::ReadOnly;
    case ENAMETOOLONG:
        return SystemFault::NameTooLong;
    case EEXIST:
        return SystemFault::AlreadyExists;
    case EISDIR:
        return SystemFault::IsAFolder;
    case EFBIG:
    case EOVERFLOW:
        return SystemFault::TooLarge;
    case ENOMEM:
        return SystemFault::OutOfMemory;
    default:
        return SystemFault::Other;
    }
}

} // namespace detail
} // namespace files

// The kinds of file errors told from the system's error numbers, which the window words itself.
#include "files/system_fault.h"

#include "engine/file_error.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

#include <utility>
#include <vector>

using files::SystemFault;

namespace {

void expectKinds(const std::vector<std::pair<int, SystemFault>>& cases) {
    for (const auto& [code, fault] : cases)
        EXPECT_EQ(files::SystemFaultOf(code), fault) << "code " << code;
}

} // namespace

TEST(SystemFaultKinds, SystemNumbers) {
#ifdef _WIN32
    expectKinds({
        {ERROR_FILE_NOT_FOUND, SystemFault::NotFound},
        {ERROR_PATH_NOT_FOUND, SystemFault::NotFound},
        {ERROR_INVALID_DRIVE, SystemFault::NotFound},
        {ERROR_ACCESS_DENIED, SystemFault::NoAccess},
        {ERROR_DISK_FULL, SystemFault::DiskFull},
        {ERROR_HANDLE_DISK_FULL, SystemFault::DiskFull},
        {ERROR_WRITE_PROTECT, SystemFault::ReadOnly},
        {ERROR_FILENAME_EXCED_RANGE, SystemFault::NameTooLong},
        {ERROR_FILE_EXISTS, SystemFault::AlreadyExists},
        {ERROR_ALREADY_EXISTS, SystemFault::AlreadyExists},
        {ERROR_DIRECTORY, SystemFault::IsAFolder},
        {ERROR_FILE_TOO_LARGE, SystemFault::TooLarge},
        {ERROR_NOT_ENOUGH_MEMORY, SystemFault::OutOfMemory},
        {ERROR_OUTOFMEMORY, SystemFault::OutOfMemory},
        // Errors of no common kind are left to the system's words.
        {ERROR_SHARING_VIOLATION, SystemFault::Other},
        {ERROR_NO_UNICODE_TRANSLATION, SystemFault::Other},
        {ERROR_SUCCESS, SystemFault::Other},
    });
#else
    expectKinds({
        {ENOENT, SystemFault::NotFound},
        {ENOTDIR, SystemFault::NotFound},
        {EACCES, SystemFault::NoAccess},
        {EPERM, SystemFault::NoAccess},
        {ENOSPC, SystemFault::DiskFull},
        {EDQUOT, SystemFault::DiskFull},
        {EROFS, SystemFault::ReadOnly},
        {ENAMETOOLONG, SystemFault::NameTooLong},
        {EEXIST, SystemFault::AlreadyExists},
        {EISDIR, SystemFault::IsAFolder},
        {EFBIG, SystemFault::TooLarge},
        {EOVERFLOW, SystemFault::TooLarge},
        {ENOMEM, SystemFault::OutOfMemory},
        {EIO, SystemFault::Other},
        {EBUSY, SystemFault::Other},
        {0, SystemFault::Other},
    });
#endif
}

// The numbers the shared code names itself are of their kinds on every system, and our own causes
// are never taken for the system's.
TEST(SystemFaultKinds, NumbersOfOurOwn) {
    expectKinds({
        {files::kNotFoundCode, SystemFault::NotFound},
        {files::kIsAFolderCode, SystemFault::IsAFolder},
        {files::kOutOfMemoryCode, SystemFault::OutOfMemory},
        {files::kTooLargeCode, SystemFault::TooLarge},
        {engine::kNotARegularFileCode, SystemFault::NotARegularFile},
        {engine::kUnstorableValueCode, SystemFault::UnstorableValue},
        {-3, SystemFault::Other},
    });
}

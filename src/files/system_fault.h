#pragma once
// The common kinds of file errors, told from the system's error number (FileError::code), so
// that a front end can word them itself; system_fault_posix.cpp and system_fault_win.cpp hold
// each system's numbers.

#include <system_error>

namespace files {

enum class SystemFault {
    Other, // a number of no kind below, or none: only the system's words say what it was
    NotFound,
    NoAccess,
    DiskFull,
    ReadOnly,
    NameTooLong,
    AlreadyExists,
    IsAFolder,
    TooLarge,
    OutOfMemory,
    NotARegularFile, // engine::kNotARegularFileCode
    UnstorableValue, // engine::kUnstorableValueCode
};

// The kind of the error numbered `code`: errno on POSIX, GetLastError() on Windows, or one of the
// negative numbers of our own causes.
SystemFault SystemFaultOf(int code);

// The system's numbers for errors that the shared code finds out itself.
extern const int kNotFoundCode;    // ENOENT, ERROR_FILE_NOT_FOUND
extern const int kIsAFolderCode;   // EISDIR, ERROR_DIRECTORY
extern const int kOutOfMemoryCode; // ENOMEM, ERROR_NOT_ENOUGH_MEMORY
extern const int kTooLargeCode;    // EFBIG, ERROR_FILE_TOO_LARGE

// The number of an error the standard library reports, as FileError::code; 0 when it is not one
// of the system's numbers.
int SystemCodeOf(const std::error_code& error);

namespace detail {
// The kind of a number of the system's own (0 or more).
SystemFault SystemFaultOfSystemCode(int code);
} // namespace detail

} // namespace files

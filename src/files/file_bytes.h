#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace files {

// A whole file's bytes. A missing file (or a missing folder on its path) is told apart from one
// that exists but cannot be read.
struct FileBytes {
    enum class Outcome { Read, Missing, Unreadable, TooLarge };
    Outcome outcome = Outcome::Missing;
    std::string bytes;  // when Read, with room for one more byte
    std::string reason; // when Unreadable: the system's words, or one of those below
    int code = 0;       // when Unreadable: the error's number, as engine::FileError::code
};

// The reasons ReadWholeRegularFile gives of its own.
inline constexpr const char* kNotARegularFile = "not a regular file";
inline constexpr const char* kNotEnoughMemory = "not enough memory";

inline constexpr std::int64_t kNoSizeLimit = -1;

// The room a file's bytes are read into: a source becomes its text in place, with an end byte, a
// title page and the full-width spaces of the normalisation, which for a book come to well under
// a quarter more. Room never written costs address space, not memory.
constexpr std::size_t RoomToGrowIn(std::size_t fileSize) {
    return fileSize + fileSize / 4 + 4096;
}

// Reads the file at `path` (file-system bytes) whole. A file of more than `maxBytes` is TooLarge,
// found out before a byte of it is read where the system can tell its size. `betweenBlocks`, when
// given, runs before every block read, so a window can serve its events during a long read.
FileBytes ReadWholeFile(const std::string& path, std::int64_t maxBytes = kNoSizeLimit,
                        const std::function<void()>& betweenBlocks = {});

// ReadWholeFile for a file the program keeps for itself, which is only ever a regular file: a
// folder, FIFO or device at `path` is Unreadable, never waited on nor read, and a lack of memory
// for the bytes is Unreadable (kNotEnoughMemory) rather than an exception.
FileBytes ReadWholeRegularFile(const std::string& path, std::int64_t maxBytes);

// Reads the file at `path` from its start, handing each block read to `take` until it returns
// false or the file ends. `bytes` of the result stays empty.
FileBytes ReadFileBlocks(const std::string& path,
                         const std::function<bool(std::string_view block)>& take);

// The first `maxBytes` bytes of the file at `path` (all of it when it is shorter).
FileBytes ReadFileStart(const std::string& path, std::size_t maxBytes);

} // namespace files

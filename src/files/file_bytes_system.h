#pragma once
// What reading a file asks of the system. file_bytes.cpp holds the rules (sizes, room to grow,
// a file that changes while it is read) once; file_bytes_posix.cpp and file_bytes_win.cpp hold
// these few calls.

#include "files/file_bytes.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace files {

// A file open for reading, closed when it goes.
class ReadingFile {
  public:
    enum class Accept { AnyKind, RegularOnly };

    // Opens `path` (file-system bytes). When it cannot be, isOpen() is false and `failure` is
    // Unreadable in the system's words, or stays as it was for a missing file or a missing folder
    // on its path. With RegularOnly, a folder, FIFO, device or socket is Unreadable too, found
    // out without waiting for a FIFO's writer.
    ReadingFile(const std::string& path, FileBytes& failure, Accept accept = Accept::AnyKind);
    ~ReadingFile();
    ReadingFile(const ReadingFile&) = delete;
    ReadingFile& operator=(const ReadingFile&) = delete;

    bool isOpen() const { return m_handle != kClosed; }

    struct Kind {
        bool folder = false;
        std::size_t size = 0; // 0 for a pipe or a device: its length shows only by reading it
    };
    // Whether the file is a folder, and the size of a file whose size can be trusted.
    Kind kind() const;

    // One read of at most `room` bytes into `target`: the bytes read, 0 at the end of the file,
    // -1 with the system's words in `reason` and its number in `code`.
    long long read(char* target, std::size_t room, std::string& reason, int& code);

  private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t m_handle = kClosed; // a file descriptor, or a Windows HANDLE
};

// A buffer about to hold a whole text of `bytes`: where the system can, it is backed by huge pages,
// so that filling it costs a page fault per 2 MiB rather than per 4 KiB. Nothing else changes.
void AdviseLargeBuffer(char* data, std::size_t bytes);

} // namespace files

#pragma once

#include "engine/file_error.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace files {

using engine::FileError;

class StagingFolder;

// The outcome of writing a whole file: ok, or the reason it failed in the system's words or, for
// data the file cannot hold, in ours.
struct WriteStatus {
    bool ok = true;
    std::string reason;
    int code = 0; // as FileError::code

    static WriteStatus Success() { return {}; }
    static WriteStatus Failure(std::string reason, int code) {
        return {false, std::move(reason), code};
    }
};

// A file written so that its final path holds either what was there before or the whole new
// contents, never a mixture: the bytes go to a fresh temporary file beside the final one, which
// is flushed to the disk and then renamed into place. Destroyed before it is placed, it removes
// the temporary file and leaves the final path as it was.
//
// A symbolic link at the final path is followed: the file it names gets the new contents and the
// link stays a link. An existing file that this user may not write is left alone, as is anything
// that is not a regular file (it is never opened), and the new file takes over the permissions of
// the one it replaces.
class AtomicFile {
  public:
    enum class Existing { Replace, Keep };

    // Null with the reason in `error` when the file cannot be started. With Existing::Keep a file
    // at the final path is never replaced, not even one that appears while this one is written.
    static std::unique_ptr<AtomicFile> create(const std::string& finalPath, FileError& error,
                                              Existing existing = Existing::Replace);

    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool write(std::string_view bytes, FileError& error);
    // Closes the temporary file; the final path is untouched. Its data reach the disk before it
    // replaces another file (on Linux with the other files finished so far, in place()).
    bool finish(FileError& error);
    // finish(), then the rename into place. What stood at the final path is kept under a name of
    // its own until confirm() removes it or undo() puts it back.
    bool place(FileError& error);
    void confirm();
    // Nothing when the earlier state is back.
    std::optional<engine::UndoFault> undo();
    // Removes the temporary file of a file not placed; what could not be removed is named.
    std::optional<engine::LeftBehind> discard();
    // place() and confirm(), and the rename made durable.
    bool commit(FileError& error);

  private:
    struct Handle;
    void syncFolder() const;
    bool holdOrStage(FileError& error);    // POSIX, for an unnamed file
    bool nameForPlacing(FileError& error); // POSIX, for an unnamed file
    // Takes over the system's handle of the open temporary file.
    AtomicFile(std::string finalPath, std::string temporaryPath, Existing existing,
               std::intptr_t systemHandle);

    std::string m_finalPath;
    // Empty while the temporary file has no name (Linux's O_TMPFILE): its handle is then open.
    std::string m_temporaryPath;
    std::string m_asidePath; // the replaced file while placed, unconfirmed
    Existing m_existing;
    std::unique_ptr<Handle> m_handle;         // null once finished, unless the file has no name yet
    std::shared_ptr<StagingFolder> m_staging; // holds the temporary file, when it waits there
    bool m_finished = false;
    bool m_placed = false;
    bool m_alone = false; // written by commit(), not as one of a series
    // Where POSIX flushes a series at once: this file's number in the order files were finished,
    // 0 once nothing of it need wait for the disk any more.
    std::uint64_t m_finishedAs = 0;
};

// Replaces the file at `path` by `bytes` through an AtomicFile.
WriteStatus ReplaceFileContents(const std::string& path, std::string_view bytes);

} // namespace files

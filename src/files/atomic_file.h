#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace files {

// The outcome of writing a file: ok, or the reason it failed in the system's words or, for data
// the file cannot hold, in ours.
struct WriteStatus {
    bool ok = true;
    std::string reason;

    static WriteStatus Success() { return {}; }
    static WriteStatus Failure(std::string reason) { return {false, std::move(reason)}; }
};

// A file written so that its final path holds either what was there before or the whole new
// contents, never a mixture: the bytes go to a fresh temporary file beside the final one, which
// is flushed to the disk and renamed into place by commit(). Destroyed without a commit, it
// removes the temporary file and leaves the final path as it was.
//
// A symbolic link at the final path is followed: the file it names gets the new contents and the
// link stays a link. An existing file that this user may not write is left alone, and the new
// file takes over the permissions of the one it replaces.
class AtomicFile {
  public:
    // Null with the system's reason in `error` when the file cannot be started.
    static std::unique_ptr<AtomicFile> create(const std::string& finalPath, std::string& error);

    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool write(std::string_view bytes, std::string& error);
    // Flushes everything to the disk and closes the temporary file; the final path is untouched.
    bool finish(std::string& error);
    // finish(), then the rename into place.
    bool commit(std::string& error);

    const std::string& finalPath() const { return m_finalPath; }

  private:
    struct Handle;
    AtomicFile(std::string finalPath, std::string temporaryPath, std::unique_ptr<Handle> handle);

    std::string m_finalPath;
    std::string m_temporaryPath;
    std::unique_ptr<Handle> m_handle; // null once finished
    bool m_committed = false;
};

// Replaces the file at `path` by `bytes` through an AtomicFile.
WriteStatus ReplaceFileContents(const std::string& path, std::string_view bytes);

} // namespace files

#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace settings {

// The outcome of writing a file: ok, or the reason it failed in the system's words (strerror
// text, UTF-8) or, for data the file cannot hold, in ours.
struct WriteStatus {
    bool ok = true;
    std::string reason;

    static WriteStatus Success() { return {}; }
    static WriteStatus Failure(std::string reason) { return {false, std::move(reason)}; }
};

// A whole file's bytes. A missing file (or a missing folder on its path) is told apart from one
// that exists but cannot be read.
struct FileBytes {
    enum class Outcome { Read, Missing, Unreadable };
    Outcome outcome = Outcome::Missing;
    std::string bytes;  // when Read
    std::string reason; // when Unreadable: the system's words
};

FileBytes ReadWholeFile(const std::string& path);

// Replaces the file at `path` by `bytes` so that it holds either its old or its new contents,
// never a mixture: the bytes go to a fresh file in the same folder, which is then renamed over
// the old one. An existing file that the user may not write is left alone and reported.
WriteStatus ReplaceFileContents(const std::string& path, std::string_view bytes);

} // namespace settings

#pragma once
// Which file a path names, whatever the spelling and whatever links lead to it: the device (or
// volume) and the file's number on it. Two paths that give the same identity are one file.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace files {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` (file-system bytes), links followed; nothing where no file
// is, or where the system will not tell.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The identity of what standard input reads from, when it is a file.
std::optional<FileIdentity> IdentityOfStandardInput();

// The files a run reads. No output of the run may be written over one of them: the book would be
// lost to its own pages.
class RunSources {
  public:
    RunSources() = default;
    // Takes the identities now, before anything is written. A member of a zip (see
    // engine::MemberSourcePath) stands for its zip.
    RunSources(const std::vector<std::string>& paths, bool standardInput);

    // The source that `outputPath` would write over, if any: its path, or "-" for standard input.
    std::optional<std::string> sourceAt(const std::string& outputPath) const;

  private:
    std::vector<std::pair<FileIdentity, std::string>> m_sources;
};

} // namespace files

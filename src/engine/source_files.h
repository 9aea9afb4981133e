#pragma once

#include "event_pump.h"
#include "file_error.h"

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// A source that is a member of a zip is named by the zip's path, a NUL and the member's name
// (UTF-8, "/" between its folders). No path of a file holds a NUL, so such a name is never taken
// for one; the zip is the file it is read from, and the file no output may replace.
inline constexpr char kMemberSeparator = '\0';

inline std::string MemberSourcePath(std::string_view zipPath, std::string_view member) {
    std::string path(zipPath);
    path += kMemberSeparator;
    path.append(member);
    return path;
}

struct MemberSource {
    std::string_view zipPath;
    std::string_view member;
};

// The zip's path and the member's name of a member source; nothing for a file's path.
inline std::optional<MemberSource> AsMemberSource(std::string_view path) {
    const std::size_t separator = path.find(kMemberSeparator);
    if (separator == std::string_view::npos)
        return std::nullopt;
    return MemberSource{path.substr(0, separator), path.substr(separator + 1)};
}

// A source's bytes as they stand in its file, or why they could not be had.
struct SourceBytes {
    bool ok = false;
    std::string bytes;
    FileError error; // when not ok
};

// Where the run gets its sources from: the file system, or standard input for the command-line
// tool. Each source is read once, whole; one of more than kMaxTextBytes is refused unread.
class SourceFiles {
  public:
    virtual ~SourceFiles() = default;
    virtual SourceBytes read(const std::string& path, EventPump& pump) = 0;
};

} // namespace engine

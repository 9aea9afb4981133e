#pragma once

#include "engine/source_files.h"

#include <cstddef>
#include <string>
#include <vector>

namespace files {

// Sources read from the file system, each whole and once. A member of a zip (see
// engine::MemberSourcePath) is inflated from the zip, which is read whole for it.
class FileSystemSources final : public engine::SourceFiles {
  public:
    engine::SourceBytes read(const std::string& path, engine::EventPump& pump) override;
};

// A path that names a zip: its name ends in ".zip", in any case. Such a source stands for the
// texts it holds.
bool IsZipPath(const std::string& path);

// The names of the .txt members of the zip at `path` (see IsTextMember), in the zip's order; a zip
// without one is an error (NoTextMember).
struct ZipTexts {
    bool ok = false;
    std::vector<std::string> members;
    engine::FileError error; // when not ok
};
ZipTexts ListZipTexts(const std::string& path, engine::EventPump& pump);

// At most the first `maxBytes` bytes of a source, a file or a member of a zip, for a preview.
engine::SourceBytes ReadSourceStart(const std::string& path, std::size_t maxBytes);

} // namespace files

#pragma once

#include "engine/source_files.h"

#include <cstddef>
#include <string>

namespace files {

// Sources read from the file system, each whole and once.
class FileSystemSources final : public engine::SourceFiles {
  public:
    engine::SourceText read(const std::string& path, engine::EventPump& pump) override;
};

// The head of a source as the preview shows it: its text as read, up to `limit` bytes. A double-byte
// character may be cut after its first byte.
struct TextHead {
    bool opened = false;
    std::string bytes;
    std::string reason; // when not opened: the system's words
};

TextHead ReadTextHead(const std::string& path, std::size_t limit);

} // namespace files

#pragma once

#include "engine/source_files.h"

#include <string>

namespace files {

// Sources read from the file system, each whole and once.
class FileSystemSources final : public engine::SourceFiles {
  public:
    engine::SourceBytes read(const std::string& path, engine::EventPump& pump) override;
};

} // namespace files

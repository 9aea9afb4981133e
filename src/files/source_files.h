#pragma once

#include "engine/source_files.h"

#include <string>

namespace files {

// Sources read from the file system, each whole and once, and made what the engine takes by the
// input stage.
class FileSystemSources final : public engine::SourceFiles {
  public:
    engine::SourceText read(const std::string& path, const settings::Settings& live,
                            engine::EventPump& pump) override;
};

} // namespace files

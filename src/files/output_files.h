#pragma once

#include "engine/output_files.h"

namespace files {

// Outputs on the file system, each written through an AtomicFile: a temporary file beside the
// final one, renamed over it when complete.
class FileSystemOutputFiles : public engine::OutputFiles {
  public:
    std::string fileNameFromShiftJis(std::string_view sjis) const override;
    std::unique_ptr<engine::OutputFile> create(const std::string& path,
                                               std::string& error) override;
};

} // namespace files

#pragma once

#include "files/source_files.h"

#include <istream>
#include <string>

namespace cli {

// Sources named on the command line: files, and standard input under the path kStandardInput.
class CliSources final : public engine::SourceFiles {
  public:
    // No file has an empty name, so it cannot be mistaken for one.
    static constexpr const char* kStandardInput = "";

    explicit CliSources(std::istream& standardInput) : m_standardInput(standardInput) {}

    engine::SourceBytes read(const std::string& path, engine::EventPump& pump) override;

  private:
    std::istream& m_standardInput;
    files::FileSystemSources m_files;
};

} // namespace cli

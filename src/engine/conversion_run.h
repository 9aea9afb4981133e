#pragma once

#include "conversion_ui.h"
#include "output_files.h"
#include "settings/settings.h"
#include "source_files.h"

#include <cstddef>
#include <string>

namespace engine {

// The file list as the run sees it: read live, so entries removed while the run serves pending
// events shorten it.
class FileList {
  public:
    virtual ~FileList() = default;
    virtual std::size_t count() const = 0;
    virtual std::string path(std::size_t i) const = 0; // full path, file-system bytes
    virtual bool isSelected(std::size_t i) const = 0;
};

// Runs conversions, one at a time, reading sources from `sources` and writing through `outputs`.
class Converter {
  public:
    Converter(SourceFiles& sources, OutputFiles& outputs)
        : m_sources(sources), m_outputs(outputs) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts every selected entry of `files`, one after another, with the live settings (read at
    // fixed points, so edits made while the run serves events apply from the next point on).
    // `infoCarryHome` is the save question's folder when savepath is empty. Returns false without
    // doing anything when this converter is already running (the window serves events during a
    // run, so a second convert command could otherwise start one inside it).
    bool RunConversion(const FileList& files, const std::string& infoCarryHome,
                       const settings::Settings& live, ConversionUi& ui);

    bool running() const { return m_running; }

  private:
    SourceFiles& m_sources;
    OutputFiles& m_outputs;
    bool m_running = false;
};

// The name of file `fileNumber` of a split output: the chosen path without its extension (from its
// last "." in the file name on), "_", the number, ".txt".
std::string NumberedOutputName(const std::string& chosenPath, int fileNumber);

} // namespace engine

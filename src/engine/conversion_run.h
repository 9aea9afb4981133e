#pragma once

#include "conversion_ui.h"
#include "output_files.h"
#include "settings/settings.h"
#include "source_files.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

enum class RunResult {
    Ran,             // every selected entry was converted or reported
    AlreadyRunning,  // refused: a run of this converter is under way
    InvalidSettings, // refused: a setting outside its range (see SettingsAreValid)
};

// Whether every setting lies within its range: the choices from -1 (no choice) to their last, and
// divisionsize from 1 to kMaxDivisionSize. The settings file and the dialog keep them there.
bool SettingsAreValid(const settings::Settings& settings);

// Runs conversions, one at a time, reading sources from `sources` and writing through `outputs`.
class Converter {
  public:
    Converter(SourceFiles& sources, OutputFiles& outputs)
        : m_sources(sources), m_outputs(outputs) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts every selected entry of `files`, one after another, with the live settings (read at
    // fixed points, so edits made while the run serves events apply from the next point on).
    // `infoCarryHome` is the save question's folder when savepath is empty. Refuses without doing
    // anything when this converter is already running (the window serves events during a run, so
    // a second convert command could otherwise start one inside it) or a setting is out of range.
    RunResult RunConversion(const FileList& files, const std::string& infoCarryHome,
                            const settings::Settings& live, ConversionUi& ui);

    bool running() const { return m_running; }

  private:
    SourceFiles& m_sources;
    OutputFiles& m_outputs;
    bool m_running = false;
};

// The name of file `fileNumber` of a split output: the chosen path without its extension (from its
// last "." in the file name on), "_", the number, ".txt".
std::string NumberedOutputName(const std::string& chosenPath, std::int64_t fileNumber);

// The paths a split output of `pages` pages goes to: numbered names when the size test
// (`bySize`) or the pages say one file will not do, else the chosen path alone.
std::vector<std::string> SplitOutputNames(const std::string& chosenPath, std::int64_t pages,
                                          std::int64_t pagesPerFile, bool bySize);

} // namespace engine

#pragma once

#include "conversion_ui.h"
#include "input_stage.h"
#include "output_files.h"
#include "settings.h"
#include "source_files.h"

#include <cstddef>
#include <string>
#include <utility>

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

// A list of one file, selected: a run over a single entry.
class OneFile final : public FileList {
  public:
    explicit OneFile(std::string path) : m_path(std::move(path)) {}
    std::size_t count() const override { return 1; }
    std::string path(std::size_t) const override { return m_path; }
    bool isSelected(std::size_t) const override { return true; }

  private:
    std::string m_path;
};

enum class RunResult {
    Ran,             // every selected entry was converted or reported
    AlreadyRunning,  // refused: a run of this converter is under way
    InvalidSettings, // refused: a setting outside its range (see SettingsAreValid)
};

// Runs conversions, one at a time: sources read from `sources` and taken through `input`, pages
// written through `outputs`.
class Converter {
  public:
    Converter(SourceFiles& sources, InputStage& input, OutputFiles& outputs)
        : m_sources(sources), m_input(input), m_outputs(outputs) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts every selected entry of `files`, one after another, with the live settings (read at
    // fixed points, so edits made while the run serves events apply from the next point on).
    // `infoCarryHome` is the save question's folder when savepath is empty. Refuses without doing
    // anything when this converter is already running (the window serves events during a run, so
    // a second convert command could otherwise start one inside it) or a setting is out of range.
    RunResult RunConversion(const FileList& files, const std::string& infoCarryHome,
                            const Settings& live, ConversionUi& ui);

    bool running() const { return m_running; }

  private:
    SourceFiles& m_sources;
    InputStage& m_input;
    OutputFiles& m_outputs;
    bool m_running = false;
};

} // namespace engine

#pragma once

#include "conversion_ui.h"
#include "output_files.h"
#include "settings/settings.h"

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

// Converts every selected entry of `files`, one after another, with the live settings (read at
// fixed points, so edits made while the run serves events apply from the next point on).
// `infoCarryHome` is the save question's folder when savepath is empty. Returns false without
// doing anything when a run is already under way.
bool RunConversion(const FileList& files, const std::string& infoCarryHome,
                   const settings::Settings& live, ConversionUi& ui);

// The same, writing through `outputs` (the command-line tool's rules, or faults in tests).
bool RunConversion(const FileList& files, const std::string& infoCarryHome,
                   const settings::Settings& live, ConversionUi& ui, OutputFiles& outputs);

// The name of file `fileNumber` of a split output: the chosen path without its extension (from its
// last "." in the file name on), "_", the number, ".txt".
std::string NumberedOutputName(const std::string& chosenPath, int fileNumber);

// True while a run is under way.
bool ConversionRunning();

} // namespace engine

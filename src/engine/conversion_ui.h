#pragma once

#include "event_pump.h"

#include <cstdint>
#include <optional>
#include <string>

namespace engine {

// Something that went wrong with one file: which file, what the program was doing, and the
// system's reason. The window shows it in a message box, the command-line tool on stderr.
struct Failure {
    enum class Action { ReadSource, WriteOutput, ReplaceOutput, OutputExists, ReadSettings, WriteSettings };
    Action action;
    std::string path;   // as the file system names it
    std::string reason; // the system's words (strerror), UTF-8
};

// What the conversion run needs of the user interface. Texts the engine hands over (status
// messages, questions, captions, proposed names made from a title) are Shift_JIS bytes, as the
// program has always kept them; paths are the file system's own bytes.
class ConversionUi : public EventPump {
public:
    // A modal Yes/No question (Yes is the default, no icon). True for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;

    // A modal save question: the proposed file name (no folder; file-system bytes) in the initial
    // folder. Returns the chosen full path, or nothing when the user cancels.
    virtual std::optional<std::string> AskOutputPath(const std::string& proposedName,
                                                     const std::string& initialFolder) = 0;

    virtual void SetBusyCursor(bool on) = 0;

    // A status-line message; with `revert` the line returns to its idle text after a second.
    virtual void ShowStatus(const std::string& message, bool revert) = 0;

    // A failure the user must hear of; the run goes on with the next entry.
    virtual void ReportFailure(const Failure& failure) = 0;

    // How far the pages of the current source have come: bytes of its text laid out so far, of
    // `total`. Called when the percentage changes.
    virtual void ShowProgress(std::int64_t done, std::int64_t total) {
        (void)done;
        (void)total;
    }
};

} // namespace engine

#pragma once

#include "event_pump.h"
#include "file_error.h"
#include "input_stage.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Something that went wrong with one file: which file, what the program was doing, and why. The
// window shows it in a message box, the command-line tool on stderr.
struct Failure {
    enum class Action {
        ReadSource,
        Convert, // the source was read; converting it failed (memory, a text too long)
        WriteOutput,
        OutputExists, // the output files refused the paths (the command-line tool's rules)
    };
    Action action;
    std::string path; // as the file system names it
    FileError error;
    // A placing that failed and could not be taken back whole: every file left not as it was.
    std::vector<std::pair<std::string, UndoFault>> leftMixed = {};
    // Temporary files the failure left that could not be removed.
    std::vector<LeftBehind> leftBehind = {};
};

// Where one entry of a run stands. Each front end turns a stage into its own words.
enum class Stage {
    ConfirmingHeader, // the recognised title and author are put to the user
    ChoosingOutput,   // the save question is open
    Reading,          // the source is being read
    Preparing,        // title page, line breaks, normalisation
    Converting,       // pages are laid out and written
    Done,             // the entry's output is in place
    Cancelled, // the entry was given up: save question cancelled, files to replace left, or a failure
    Stopped,   // the user stopped the run: the entry in hand left nothing behind
};

// What becomes of the files an entry would replace.
enum class ReplaceAnswer {
    Replace, // the entry's files take their places, as always
    Skip,    // the entry is given up; what stands there stays
    Stop,    // the run ends here, as if stopped by the user
};

// The recognised head of a text, put to the user for confirmation. Shift_JIS bytes.
struct HeaderQuestion {
    std::string_view title;
    std::string_view author;
    // What each 〓 of title and author stands for in a source of another encoding, in order (UTF-8).
    std::span<const std::string> titleLost = {};
    std::span<const std::string> authorLost = {};
};

// What the conversion run needs of the user interface: questions, and events it reports. The
// engine holds no wording: texts it hands over are the text's own bytes (Shift_JIS), paths the
// file system's bytes.
class ConversionUi : public EventPump {
  public:
    // Are these the title and author? True for Yes.
    virtual bool ConfirmHeader(const HeaderQuestion& question) = 0;

    // A modal save question: the proposed file name (no folder; file-system bytes) in the initial
    // folder. Returns the chosen full path, or nothing when the user cancels.
    virtual std::optional<std::string> AskOutputPath(const std::string& proposedName,
                                                     const std::string& initialFolder) = 0;

    // Whether files the entry would replace are put to ConfirmReplacing. A front end whose save
    // question has asked already leaves this off, and nothing is looked up.
    virtual bool AsksBeforeReplacing() const { return false; }

    // Something already stands at these paths of the entry's outputs (in the order they would be
    // written, the earlier series' further parts last). Asked once per entry, before any output
    // file is created.
    virtual ReplaceAnswer ConfirmReplacing(const std::vector<std::string>& existing) {
        (void)existing;
        return ReplaceAnswer::Replace;
    }

    virtual void SetBusyCursor(bool on) = 0;

    virtual void ShowStage(Stage stage) = 0;

    // Pages of the current entry written so far, of about `total` (the total is counted before
    // the first page; settings changed during the run may move it, never below `done`).
    virtual void ShowProgress(std::int64_t done, std::int64_t total) {
        (void)done;
        (void)total;
    }

    // The current source's encoding was found out on thin evidence (a close call or a tie): it
    // was read as `guess.taken`, and `guess.closest` came nearest. The conversion goes on.
    virtual void ShowEncodingGuess(const EncodingGuess& guess) { (void)guess; }

    // Characters of the current source that code page 932 cannot hold were written as 〓: the
    // conversion goes on.
    virtual void ShowReplacedCharacters(std::size_t count) { (void)count; }

    // How the current source's gaiji notes were resolved, when Aozora Bunko's notation was taken
    // out. The conversion goes on.
    virtual void ShowGaijiCounts(const GaijiCounts& counts) { (void)counts; }

    // An end-of-file mark (0x1A) at byte `offset` of the source (counted from 0) ended its text:
    // what follows it is not converted. The conversion goes on.
    virtual void ShowTextCut(std::size_t offset) { (void)offset; }

    // Another run is placing files in the folder this run's outputs go to: this one waits.
    virtual void ShowWaitingForOtherRun() {}

    // The output files of the entry are in place, under these paths.
    virtual void ShowOutputsWritten(const std::vector<std::string>& paths) { (void)paths; }

    // Asked after every page and before every entry: true stops the run there. The entry in hand
    // is given up whole (nothing of it replaces anything); those done before it stay.
    virtual bool StopRequested() { return false; }

    // A failure the user must hear of; the run goes on with the next entry.
    virtual void ReportFailure(const Failure& failure) = 0;
};

} // namespace engine

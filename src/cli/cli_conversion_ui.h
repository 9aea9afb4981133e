#pragma once

#include "engine/conversion_ui.h"
#include "interrupts.h"
#include "working_folder.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace cli {

// Where the outputs go, as the command line chose it.
struct OutputChoice {
    std::optional<std::string> path;   // -o as the file system is given it, or "-"
    std::optional<std::string> folder; // -d as the file system is given it
};

// The run's user interface without a user: every question is answered as the options say,
// progress is not shown, and failures go to the error stream, one line each.
class CliConversionUi final : public engine::ConversionUi {
  public:
    // `nameFromHeader`: the title and author name the output once they are accepted.
    CliConversionUi(const WorkingFolder& workingFolder, std::ostream& err, OutputChoice outputs,
                    bool nameFromHeader);

    // A request to stop (see interrupts.h) ends the run after the page in hand.
    void stopWhen(const InterruptFlag* interrupt) { m_interrupt = interrupt; }

    // Where the message about waiting for another run goes, at once, when the error stream
    // given is only read later.
    void tellWaitingThrough(std::function<void(const std::string&)> tell) {
        m_tellWaiting = std::move(tell);
    }

    // Starts the answers for one source, named as the command line gave it.
    void beginSource(const std::string& userName, bool standardInput);
    bool sourceFailed() const { return m_sourceFailed; }
    bool sourceDone() const { return m_sourceDone; }
    const std::string& sourceLabel() const { return m_sourceLabel; }

    // Tells of a failure that happened outside the run (such as copying standard input).
    void reportSourceFailure(const std::string& message);

    void ProcessPendingEvents() override {}
    bool ConfirmHeader(const engine::HeaderQuestion& question) override;
    std::optional<std::string> AskOutputPath(const std::string& proposedName,
                                             const std::string& initialFolder) override;
    void SetBusyCursor(bool) override {}
    void ShowStage(engine::Stage stage) override { m_sourceDone |= stage == engine::Stage::Done; }
    bool StopRequested() override { return m_interrupt && *m_interrupt != 0; }
    void ShowEncodingGuess(const engine::EncodingGuess& guess) override;
    void ShowReplacedCharacters(std::size_t count) override;
    void ShowGaijiCounts(const engine::GaijiCounts& counts) override;
    void ShowTextCut(std::size_t offset) override;
    void ShowWaitingForOtherRun() override;
    void ReportFailure(const engine::Failure& failure) override;

  private:
    std::string outputLabel(const std::string& path) const;

    const WorkingFolder& m_workingFolder;
    std::ostream& m_err;
    OutputChoice m_outputs;
    bool m_nameFromHeader;

    std::string m_sourceLabel; // 'name' or "standard input"
    bool m_standardInput = false;
    bool m_headerAccepted = false;
    bool m_sourceFailed = false;
    bool m_sourceDone = false;
    const InterruptFlag* m_interrupt = nullptr;
    std::function<void(const std::string&)> m_tellWaiting;
};

} // namespace cli

#pragma once

#include "engine/conversion_ui.h"
#include "files/file_identity.h"

#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace shell {

class DialogService;

// How one entry of a run ended, as the list shows it beside the entry.
struct EntryOutcome {
    enum class Kind { Done, Stopped, Skipped, Failed };
    Kind kind = Kind::Done;
    std::size_t geta = 0; // characters written as 〓: not in code page 932, or gaiji left so
    QString reason;       // Failed: the failure's message
};

// The conversion run's user interface on Qt: questions through the dialog service, status
// messages to the main window, the application-wide busy cursor, and the event queue served
// between the run's steps.
class QtConversionUi final : public engine::ConversionUi {
  public:
    static constexpr int kEventIntervalMilliseconds = 20;

    using StatusSink = std::function<void(const QString& text, bool revert)>;

    QtConversionUi(DialogService& dialogs, QWidget* parent, StatusSink showStatus);
    ~QtConversionUi() override; // gives the cursor back should a run leave it busy
    QtConversionUi(const QtConversionUi&) = delete;
    QtConversionUi& operator=(const QtConversionUi&) = delete;

    // Serves the event queue at most once every kEventIntervalMilliseconds: the run asks far
    // more often than the window needs.
    void ProcessPendingEvents() override;
    bool ConfirmHeader(const engine::HeaderQuestion& question) override;
    bool AsksBeforeReplacing() const override { return m_saveFolder.has_value(); }
    engine::ReplaceAnswer ConfirmReplacing(const std::vector<std::string>& existing) override;
    std::optional<std::string> AskOutputPath(const std::string& proposedName,
                                             const std::string& initialFolder) override;
    void SetBusyCursor(bool on) override;
    void ShowStage(engine::Stage stage) override;
    // Kept for the entry's completion message, which says which encoding was taken and how many
    // characters were replaced.
    void ShowEncodingGuess(const engine::EncodingGuess& guess) override;
    void ShowReplacedCharacters(std::size_t count) override;
    void ShowGaijiCounts(const engine::GaijiCounts& counts) override;
    void ShowTextCut(std::size_t offset) override;
    void ReportFailure(const engine::Failure& failure) override;
    // The pages' progress on the status line, after the message of the stage in hand.
    void ShowProgress(std::int64_t done, std::int64_t total) override;
    void ShowOutputsWritten(const std::vector<std::string>& paths) override;
    bool StopRequested() override { return m_stop && *m_stop; }

    // The run's progress as a whole, 0 to 1: entries done of `entries`, and the pages of the
    // entry in hand.
    void trackRun(int entries, std::function<void(double)> showFraction) {
        m_entries = std::max(entries, 1);
        m_showFraction = std::move(showFraction);
    }
    // Told as each entry ends: done, stopped, skipped at the save question, or failed.
    void reportOutcomes(std::function<void(const EntryOutcome&)> sink) {
        m_outcomeSink = std::move(sink);
    }
    // The run stops after the page in hand once `*stop` is true.
    void stopWhen(const std::atomic<bool>* stop) { m_stop = stop; }
    // The files the run reads: the save question never proposes one of them, and refuses one
    // that is chosen.
    void keepSources(const files::RunSources* sources) { m_sources = sources; }
    // Every entry goes into `folder` under its proposed name, with no save dialog. Files it would
    // replace are asked about first; that question and the title question can be answered once
    // for the rest of the run. Two entries of one name get names of their own (「名前 (2).txt」).
    // Failures are not shown as they come, which would hold the run up at each: they are kept
    // for failuresNotShown().
    void saveInto(const QString& folder);
    const QStringList& failuresNotShown() const { return m_failuresNotShown; }
    // Every output file the run put in place.
    const std::vector<std::string>& written() const { return m_written; }

  private:
    void entryProgress(double ofEntry);
    bool isSource(const QString& path) const;
    // A question asked with the busy cursor set aside.
    template <typename Ask> auto withArrow(Ask ask);

    DialogService& m_dialogs;
    QWidget* m_parent;
    StatusSink m_showStatus;
    QElapsedTimer m_sinceEvents;
    bool m_busy = false;
    QString m_stageText;
    std::int64_t m_percentShown = -1;
    std::optional<engine::EncodingGuess> m_guess;
    std::size_t m_replaced = 0;
    std::optional<engine::GaijiCounts> m_gaiji;
    std::optional<std::size_t> m_cutAt;
    int m_entries = 1;
    int m_entriesFinished = 0;
    std::function<void(double)> m_showFraction;
    std::function<void(const EntryOutcome&)> m_outcomeSink;
    std::optional<QString> m_failure; // reported for the entry in hand
    const files::RunSources* m_sources = nullptr;
    const std::atomic<bool>* m_stop = nullptr;
    std::vector<std::string> m_written;
    std::optional<QString> m_saveFolder;
    QSet<QString> m_chosenPaths; // by this run, when saving without asking
    QStringList m_failuresNotShown;
    // Answers given for the rest of the run.
    std::optional<bool> m_headerForAll;
    std::optional<engine::ReplaceAnswer> m_replaceForAll;
};

} // namespace shell

#include "shell/side_by_side_run.h"

#include "engine/conversion_run.h"
#include "engine/entry_turns.h"
#include "files/source_files.h"
#include "input/source_text.h"
#include "shell/qt_conversion_ui.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace shell {
namespace {

using UiCall = std::function<void(QtConversionUi&)>;

// What the workers tell the window, held per entry and told on the window's thread in the order
// of the entries: an entry's calls once every earlier entry has been told to its end.
class OrderedTelling {
  public:
    OrderedTelling(QtConversionUi& ui, std::size_t count,
                   std::function<void(std::size_t)> beginTelling)
        : m_ui(ui), m_queues(count), m_beginTelling(std::move(beginTelling)) {}

    // From a worker. A page's progress takes the place of one not yet told.
    void post(std::size_t entry, UiCall call, bool progress = false) {
        const std::lock_guard lock(m_mutex);
        Queue& queue = m_queues[entry];
        if (progress && !queue.calls.empty() && queue.calls.back().progress)
            queue.calls.back().call = std::move(call);
        else
            queue.calls.push_back({std::move(call), progress});
    }
    void end(std::size_t entry) {
        const std::lock_guard lock(m_mutex);
        m_queues[entry].ended = true;
    }
    // The run ends with `entry`, as it would have one entry after another: those after it that
    // were under way are not told of.
    void endWith(std::size_t entry) {
        const std::lock_guard lock(m_mutex);
        m_last = std::min(m_last, entry + 1);
    }

    // On the window's thread.
    void tell() {
        if (m_telling)
            return;
        m_telling = true;
        for (;;) {
            std::deque<Call> calls;
            bool ended = false;
            {
                const std::lock_guard lock(m_mutex);
                if (m_head >= std::min(m_last, m_queues.size()))
                    break;
                std::swap(calls, m_queues[m_head].calls);
                ended = m_queues[m_head].ended;
            }
            if (!m_begun) {
                m_beginTelling(m_head);
                m_begun = true;
            }
            for (Call& call : calls)
                call.call(m_ui);
            if (!ended)
                break;
            const std::lock_guard lock(m_mutex);
            ++m_head;
            m_begun = false;
        }
        m_telling = false;
    }

  private:
    struct Call {
        UiCall call;
        bool progress;
    };
    struct Queue {
        std::deque<Call> calls;
        bool ended = false;
    };

    QtConversionUi& m_ui;
    std::mutex m_mutex;
    std::vector<Queue> m_queues;
    std::size_t m_head = 0;        // the entry being told
    std::size_t m_last = SIZE_MAX; // told up to here
    bool m_begun = false;          // its telling has begun
    bool m_telling = false;
    std::function<void(std::size_t)> m_beginTelling;
};

// Runs `ask` on the window's thread and waits for its answer.
template <typename Ask> auto onWindow(QObject* context, Ask ask) {
    decltype(ask()) answer{};
    QMetaObject::invokeMethod(
        context, [&] { answer = ask(); }, Qt::BlockingQueuedConnection);
    return answer;
}

// One entry's user interface on its worker: what it tells goes to the window in order, and its
// questions are put there in the order of the entries.
class EntryUi final : public engine::ConversionUi {
  public:
    EntryUi(QObject* context, QtConversionUi& ui, OrderedTelling& telling,
            engine::EntryTurns& questions, std::size_t entry, engine::WorkerSlot& slot,
            const std::atomic<bool>& stop, std::atomic<bool>& runStopped)
        : m_context(context), m_ui(ui), m_telling(telling), m_questions(questions), m_entry(entry),
          m_slot(slot), m_stop(stop), m_runStopped(runStopped) {}

    void ProcessPendingEvents() override {}
    bool ConfirmHeader(const engine::HeaderQuestion& question) override {
        awaitQuestionTurn();
        return onWindow(m_context, [&] { return m_ui.ConfirmHeader(question); });
    }
    // Names are given in the order of the entries: two books of one name are told apart as
    // they would be one after another.
    std::optional<std::string> AskOutputPath(const std::string& proposedName,
                                             const std::string& initialFolder) override {
        awaitQuestionTurn();
        auto path =
            onWindow(m_context, [&] { return m_ui.AskOutputPath(proposedName, initialFolder); });
        m_questions.end(m_entry);
        return path;
    }
    bool AsksBeforeReplacing() const override { return m_ui.AsksBeforeReplacing(); }
    // 中止 ends the run with this entry, as it would one entry after another.
    engine::ReplaceAnswer ConfirmReplacing(const std::vector<std::string>& existing) override {
        const engine::ReplaceAnswer answer =
            onWindow(m_context, [&] { return m_ui.ConfirmReplacing(existing); });
        if (answer == engine::ReplaceAnswer::Stop) {
            m_telling.endWith(m_entry);
            m_runStopped = true;
        }
        return answer;
    }
    void SetBusyCursor(bool) override {}
    bool StopRequested() override { return m_stop.load() || m_runStopped.load(); }

    void ShowStage(engine::Stage stage) override {
        tell([stage](QtConversionUi& ui) { ui.ShowStage(stage); });
    }
    void ShowEncodingGuess(const engine::EncodingGuess& guess) override {
        tell([guess](QtConversionUi& ui) { ui.ShowEncodingGuess(guess); });
    }
    void ShowReplacedCharacters(std::size_t count) override {
        tell([count](QtConversionUi& ui) { ui.ShowReplacedCharacters(count); });
    }
    void ShowGaijiCounts(const engine::GaijiCounts& counts) override {
        tell([counts](QtConversionUi& ui) { ui.ShowGaijiCounts(counts); });
    }
    void ShowTextCut(std::size_t offset) override {
        tell([offset](QtConversionUi& ui) { ui.ShowTextCut(offset); });
    }
    void ShowProgress(std::int64_t done, std::int64_t total) override {
        m_telling.post(
            m_entry, [done, total](QtConversionUi& ui) { ui.ShowProgress(done, total); }, true);
    }
    void ShowWaitingForOtherRun() override {
        tell([](QtConversionUi& ui) { ui.ShowWaitingForOtherRun(); });
    }
    void ShowOutputsWritten(const std::vector<std::string>& paths) override {
        tell([paths](QtConversionUi& ui) { ui.ShowOutputsWritten(paths); });
    }
    void ReportFailure(const engine::Failure& failure) override {
        tell([failure](QtConversionUi& ui) { ui.ReportFailure(failure); });
    }

  private:
    void tell(UiCall call) { m_telling.post(m_entry, std::move(call)); }
    void awaitQuestionTurn() {
        m_slot.waitAside([this] { m_questions.awaitEarlier(m_entry); });
    }

    QObject* m_context;
    QtConversionUi& m_ui;
    OrderedTelling& m_telling;
    engine::EntryTurns& m_questions;
    std::size_t m_entry;
    engine::WorkerSlot& m_slot;
    const std::atomic<bool>& m_stop;
    std::atomic<bool>& m_runStopped; // by an answer
};

} // namespace

void RunSideBySide(QObject* context, const std::vector<SideBySideEntry>& entries,
                   const engine::Settings& settings, QtConversionUi& ui,
                   engine::OutputFiles& outputs, const std::atomic<bool>& stop, std::size_t workers,
                   const std::function<void(const SideBySideEntry&)>& telling) {
    OrderedTelling told(ui, entries.size(), [&](std::size_t entry) { telling(entries[entry]); });
    engine::EntryTurns placing(entries.size());
    engine::EntryTurns questions(entries.size());
    std::atomic<bool> runStopped = false;
    const auto convert = [&](std::size_t i, engine::WorkerSlot& slot) {
        const bool listed = onWindow(context, [&] { return entries[i].row.isValid(); });
        if (listed) {
            EntryUi entryUi(context, ui, told, questions, i, slot, stop, runStopped);
            files::FileSystemSources sources;
            input::SourceInput input;
            engine::TurnTakingOutputs entryOutputs(outputs, placing, i, slot);
            engine::Converter converter(sources, input, entryOutputs);
            converter.RunConversion(engine::OneFile(entries[i].path), std::string(), settings,
                                    entryUi);
        }
        questions.end(i);
        told.end(i);
        placing.end(i);
    };

    QEventLoop loop;
    QTimer timer;
    timer.setInterval(QtConversionUi::kEventIntervalMilliseconds);
    QObject::connect(&timer, &QTimer::timeout, [&] { told.tell(); });
    // No busy cursor: the window stays free to use, and its progress bar shows the run.
    timer.start();
    std::atomic<bool> finished = false;
    std::thread run([&] {
        engine::RunOnWorkers(
            entries.size(), workers, [&] { return !stop.load() && !runStopped.load(); }, convert);
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    // The loop also ends when the application quits. The workers are then stopped, and their
    // questions to this thread still answered until they have ended: waiting for them without
    // serving events could leave both sides waiting for each other.
    if (!finished) {
        runStopped = true;
        while (!finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    run.join();
    timer.stop();
    told.tell();
}

} // namespace shell

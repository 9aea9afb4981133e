#pragma once

#include "output_files.h"

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

namespace engine {

// The order of a batch whose entries are converted side by side. An entry places its files only
// once every entry before it has ended, so it finds the disk, and is asked, exactly as it would
// have been had the entries run one after another.
class EntryTurns {
  public:
    explicit EntryTurns(std::size_t count) : m_ended(count, false) {}

    // Blocks until every entry before `entry` has ended.
    void awaitEarlier(std::size_t entry);
    void end(std::size_t entry);

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_ended;
    std::size_t m_endedBefore = 0; // every entry before this one has ended
};

// The processors a batch may keep busy, taken and given back by its entries.
class Processors {
  public:
    explicit Processors(std::size_t count) : m_free(count) {}
    void take();
    void give();

  private:
    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::size_t m_free;
};

// The processor an entry works on. An entry that waits for its turn sets it aside meanwhile, so
// that a later entry works instead of the processor standing idle behind a long book.
class WorkerSlot {
  public:
    explicit WorkerSlot(Processors* processors = nullptr) : m_processors(processors) {}
    void waitAside(const std::function<void()>& wait);

  private:
    Processors* m_processors;
};

// Calls `convert(entry, slot)` for the entries 0 to count - 1, in order of starting, with up to
// `workers` of them working at once (on the calling thread alone for one worker). Entries that
// wait for their turn (see WorkerSlot) let a few more begin meanwhile. No entry starts once
// `mayStart` says false. Returns when every entry started has been converted.
void RunOnWorkers(std::size_t count, std::size_t workers, const std::function<bool()>& mayStart,
                  const std::function<void(std::size_t entry, WorkerSlot& slot)>& convert);

// One entry's view of a batch's outputs when entries run side by side: everything goes to the
// batch's outputs (which must bear being called from several threads), and the entry's turn is
// taken from `turns`.
class TurnTakingOutputs final : public OutputFiles {
  public:
    TurnTakingOutputs(OutputFiles& shared, EntryTurns& turns, std::size_t entry, WorkerSlot& slot)
        : m_shared(shared), m_turns(turns), m_entry(entry), m_slot(slot) {}

    bool besideOthers() const override { return true; }
    void awaitEarlierEntries() override {
        m_slot.waitAside([this] { m_turns.awaitEarlier(m_entry); });
    }

    std::string fileNameFromShiftJis(std::string_view sjis,
                                     const std::vector<std::string>& lost) const override {
        return m_shared.fileNameFromShiftJis(sjis, lost);
    }
    std::optional<FileError> approve(const std::vector<std::string>& paths) override {
        return m_shared.approve(paths);
    }
    bool exists(const std::string& path) const override { return m_shared.exists(path); }
    std::unique_ptr<OutputFile> removal(const std::string& path, FileError& error) override {
        return m_shared.removal(path, error);
    }
    std::unique_ptr<PlacingLock> lockForPlacing(const std::string& path,
                                                const std::function<void()>& waiting) override {
        return m_shared.lockForPlacing(path, waiting);
    }
    std::unique_ptr<OutputFile> create(const std::string& path, FileError& error) override {
        return m_shared.create(path, error);
    }

  private:
    OutputFiles& m_shared;
    EntryTurns& m_turns;
    std::size_t m_entry;
    WorkerSlot& m_slot;
};

} // namespace engine

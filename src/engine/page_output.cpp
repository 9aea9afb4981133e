#include "page_output.h"

#include "column_layout.h"
#include "output_name.h"
#include "page_writer.h"

#include <algorithm>

namespace engine {
namespace {

// Output is handed to the file in pieces of about this size.
constexpr std::size_t kWriteChunk = 1 << 20;

// Pages per file of a split, read live: held within its range, whatever was set meanwhile.
std::int64_t PagesPerFile(const Settings& live) {
    return kDivisionSizeRange.clamp(live.divisionsize);
}

} // namespace

// Records the failure and drops every file not placed, naming what could not be removed.
bool PageOutput::fail(Failure::Action action, const std::string& path, FileError error) {
    m_failure = {action, path, std::move(error)};
    auto drop = [this](std::unique_ptr<OutputFile>& file) {
        if (!file)
            return;
        if (std::optional<LeftBehind> left = file->discard())
            m_failure.leftBehind.push_back(std::move(*left));
        file.reset();
    };
    drop(m_current);
    for (auto& finished : m_finished)
        drop(finished.second);
    m_finished.clear();
    return false;
}

// Lays out the next page and appends it to the buffer; true when the text is exhausted. Most pages
// of a book are two-byte cells throughout and take the straight way.
bool PageOutput::appendPage(int spaceline) {
    const PageGeometry& geometry = m_prepared.geometry;
    // A page reads at most three bytes a cell, and looks one past its last.
    constexpr std::size_t kMostBytesOfAPage = 3 * kRowWidth / 2 * kMaxRows + 2;
    if (m_prepared.writingAhead)
        m_prepared.writingAhead->awaitWritten(static_cast<std::size_t>(m_state.textCursor - 1) +
                                              kMostBytesOfAPage);
    if (AppendTwoByteCellPage(spaceline, geometry, m_prepared.text, m_state, m_buffer))
        return false;
    const bool exhausted = LayoutPage(spaceline, geometry, m_prepared.text, m_rows, m_state);
    WritePage(geometry, m_buffer, m_rows);
    return exhausted;
}

// False when the user asked to stop: the files begun are dropped unplaced.
bool PageOutput::pageWritten() {
    ++m_pagesWritten;
    m_ui.ShowProgress(m_pagesWritten, std::max(m_pagesWritten, m_prepared.pageCount));
    if (m_ui.StopRequested())
        m_stopped = true;
    return !m_stopped;
}

bool PageOutput::open(const std::string& path) {
    FileError error;
    m_current = m_outputs.create(path, error);
    m_currentPath = path;
    if (!m_current)
        return fail(Failure::Action::WriteOutput, path, error);
    return true;
}

bool PageOutput::flush(bool all) {
    if (m_buffer.empty() || (!all && m_buffer.size() < kWriteChunk))
        return true;
    FileError error;
    if (!m_current->write(m_buffer, error))
        return fail(Failure::Action::WriteOutput, m_currentPath, error);
    m_buffer.clear();
    return true;
}

bool PageOutput::closeFile() {
    m_buffer += "\r\n"; // the line end after the last page
    if (!flush(true))
        return false;
    // Closed now, so a split into thousands of files never holds thousands open.
    FileError error;
    if (!m_current->finish(error))
        return fail(Failure::Action::WriteOutput, m_currentPath, error);
    m_finished.emplace_back(m_currentPath, std::move(m_current));
    return true;
}

// The parts of an earlier series of the same name past the last of this one (x_7.txt, x_8.txt,
// ... as long as they follow on), which would otherwise read as the rest of this book.
std::vector<std::string> PageOutput::staleParts(std::size_t partsWritten) const {
    std::vector<std::string> stale;
    if (m_seriesPath.empty())
        return stale;
    for (std::int64_t n = static_cast<std::int64_t>(partsWritten) + 1;; ++n) {
        std::string part = NumberedOutputName(m_seriesPath, n);
        if (!m_outputs.exists(part))
            return stale;
        stale.push_back(std::move(part));
    }
}

// Puts every file in place, or none: when one cannot be placed, those placed before it are taken
// back out and what they replaced is put back. A series takes the place of an earlier one of its
// name whole: the earlier one's parts past its last go in the same placing.
bool PageOutput::placeAll() {
    const std::unique_ptr<PlacingLock> lock = m_outputs.lockForPlacing(
        m_finished.front().first, [this] { m_ui.ShowWaitingForOtherRun(); });
    // A request to stop while the lock was awaited: nothing has been placed yet.
    if (m_ui.StopRequested()) {
        m_stopped = true;
        return false;
    }
    const std::size_t written = m_finished.size();
    // Looked for under the lock: another run may have placed a longer series meanwhile.
    for (const std::string& part : staleParts(written)) {
        FileError error;
        std::unique_ptr<OutputFile> removal = m_outputs.removal(part, error);
        if (!removal)
            return fail(Failure::Action::WriteOutput, part, std::move(error));
        m_finished.emplace_back(part, std::move(removal));
    }
    for (std::size_t i = 0; i < m_finished.size(); ++i) {
        m_ui.ProcessPendingEvents();
        FileError error;
        if (!m_finished[i].second->place(error)) {
            std::vector<std::pair<std::string, UndoFault>> mixed;
            for (std::size_t j = i; j-- > 0;) {
                if (std::optional<UndoFault> fault = m_finished[j].second->undo())
                    mixed.emplace_back(m_finished[j].first, std::move(*fault));
            }
            fail(Failure::Action::WriteOutput, m_finished[i].first, std::move(error));
            m_failure.leftMixed = std::move(mixed);
            return false;
        }
    }
    std::vector<std::string> placed;
    for (std::size_t i = 0; i < m_finished.size(); ++i) {
        m_finished[i].second->confirm();
        if (i < written)
            placed.push_back(m_finished[i].first);
    }
    m_finished.clear();
    m_ui.ShowOutputsWritten(placed);
    return true;
}

// Puts the paths that something already holds to the user, where the front end asks.
bool PageOutput::mayReplace(const std::vector<std::string>& paths) {
    if (!m_ui.AsksBeforeReplacing())
        return true;
    std::vector<std::string> existing;
    for (const std::string& path : paths) {
        if (m_outputs.exists(path))
            existing.push_back(path);
    }
    if (existing.empty())
        return true;
    switch (m_ui.ConfirmReplacing(existing)) {
    case ReplaceAnswer::Replace:
        return true;
    case ReplaceAnswer::Skip:
        m_skipped = true;
        return false;
    case ReplaceAnswer::Stop:
        m_stopped = true;
        return false;
    }
    return true;
}

// What the planned files would take the place of, looked up now: the series' stale parts follow
// its own.
std::vector<std::string> PageOutput::approvalList() const {
    std::vector<std::string> paths = m_planned;
    for (std::string& part : staleParts(m_planned.size()))
        paths.push_back(std::move(part));
    return paths;
}

// Waits for the entry's turn, where entries run side by side. False when the run was stopped
// meanwhile: the entry is given up as if it had not begun.
bool PageOutput::takeTurn() {
    if (m_turnTaken)
        return true;
    m_outputs.awaitEarlierEntries();
    m_turnTaken = true;
    if (m_ui.StopRequested()) {
        m_stopped = true;
        return false;
    }
    return true;
}

// Whether the planned files may be written. Beside other entries the pages are written ahead:
// a refusal waits for the turn, when an earlier entry may have changed what stands there, and the
// question about replacing is put at the turn (approveAtTurn).
bool PageOutput::approveAhead() {
    std::optional<FileError> refusal = m_outputs.approve(approvalList());
    if (refusal && m_outputs.besideOthers()) {
        if (!takeTurn())
            return false;
        refusal = m_outputs.approve(approvalList());
    }
    if (refusal)
        return fail(Failure::Action::OutputExists, m_planned.front(), std::move(*refusal));
    return m_outputs.besideOthers() || mayReplace(approvalList());
}

// The approval again at the entry's turn, when the files written ahead are about to be placed.
bool PageOutput::approveAtTurn() {
    if (!m_outputs.besideOthers())
        return true;
    const bool approvedAtTurn = m_turnTaken;
    if (!takeTurn())
        return false;
    if (!approvedAtTurn) {
        if (auto refusal = m_outputs.approve(approvalList()))
            return fail(Failure::Action::OutputExists, m_planned.front(), std::move(*refusal));
    }
    return mayReplace(approvalList());
}

// A failure while writing ahead, told as it would have been one after another: a refusal at the
// turn comes first.
bool PageOutput::failedAhead() {
    if (!m_outputs.besideOthers() || m_stopped || m_turnTaken)
        return false;
    Failure writing = std::move(m_failure);
    if (!takeTurn())
        return false;
    if (auto refusal = m_outputs.approve(approvalList())) {
        m_failure = {Failure::Action::OutputExists, m_planned.front(), std::move(*refusal)};
        m_failure.leftBehind = std::move(writing.leftBehind); // the files written ahead
    } else {
        m_failure = std::move(writing);
    }
    return false;
}

bool PageOutput::writeUnsplit(const std::string& path) {
    m_planned = {path};
    if (!approveAhead())
        return false;
    if (!open(path))
        return failedAhead();
    const int spaceline = m_live.spaceline; // chosen once for an unsplit output
    for (bool exhausted = false; !exhausted;) {
        m_ui.ProcessPendingEvents();
        exhausted = appendPage(spaceline);
        if (!pageWritten())
            return false;
        if (!flush(false))
            return failedAhead();
    }
    if (!closeFile())
        return failedAhead();
    return approveAtTurn() && placeAll();
}

bool PageOutput::writeSplit(const std::string& chosenPath) {
    const std::int64_t pagesPerFile = PagesPerFile(m_live);
    const PageGeometry& geometry = m_prepared.geometry;
    const bool bySize = SplitBySize(pagesPerFile, geometry.rowCount, geometry.textLength);
    m_planned = SplitOutputNames(chosenPath, m_prepared.pageCount, pagesPerFile, bySize);
    const bool numbered = m_planned.size() > 1 || m_planned.front() != chosenPath;
    if (numbered)
        m_seriesPath = chosenPath;
    if (!approveAhead())
        return false;

    bool exhausted = false;
    for (int fileNumber = 1; !exhausted; ++fileNumber) {
        // Settings changed while the run serves events could make more files than counted; they
        // still get names of their own rather than replacing the first.
        const bool useNumber = numbered || fileNumber > 1;
        if (!open(useNumber ? NumberedOutputName(chosenPath, fileNumber) : chosenPath))
            return failedAhead();
        for (std::int64_t j = 0; j < PagesPerFile(m_live); ++j) {
            m_ui.ProcessPendingEvents();
            exhausted = appendPage(m_live.spaceline);
            if (!pageWritten())
                return false;
            if (!flush(false))
                return failedAhead();
            if (exhausted)
                break;
        }
        if (!closeFile())
            return failedAhead();
    }
    return approveAtTurn() && placeAll();
}

} // namespace engine

#pragma once

#include "event_pump.h"
#include "line_layout.h"
#include "page_geometry.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace engine {

// The writing half of a normalisation running on a thread of its own, so that the pages can be
// laid out behind it (see the `ahead` parameter of NormalizeProse).
class WritingAhead {
  public:
    // How far the writing has come, told by the writing thread.
    class Progress {
      public:
        void publish(std::size_t written);
        void await(std::size_t count) const;

      private:
        mutable std::mutex m_mutex;
        mutable std::condition_variable m_changed;
        std::size_t m_written = 0;
    };

    // Starts `write` on a thread of its own (std::system_error where none is to be had); the text
    // it writes is `length` bytes long, and it tells its progress as it goes.
    WritingAhead(std::size_t length, std::function<void(Progress&)> write);
    WritingAhead(const WritingAhead&) = delete;
    WritingAhead& operator=(const WritingAhead&) = delete;
    ~WritingAhead(); // waits for the writing to end

    // Waits until the first `count` bytes of the text are written, or all of them.
    void awaitWritten(std::size_t count) const;
    // The length of the text once written, end byte included.
    std::size_t length() const { return m_length; }

  private:
    const std::size_t m_length;
    Progress m_progress;
    std::thread m_thread;
};

// Texts from this size on are written ahead when asked.
inline constexpr std::size_t kWriteAheadFrom = std::size_t{4} << 20;

// Both passes remove every CR LF line break of the text and insert full-width spaces where the
// next line is to begin at the top of a new column of geometry.rowCount cells. The end byte stays
// last. NormalizeVerse starts a column for every line; NormalizeProse only for paragraphs (a line
// indented by one full-width space), quotations opening with 「, after a line closing with 」, and
// around empty lines. A line break is CR LF, or a lone LF or CR. Both return the cells of the
// result, the end byte among them.
//
// `lines` (offsets into `text`) place marked-up lines: after a page break a line starts on a new
// page (a page of packed or of spaced columns, as `packedPages` says), an indented line starts
// its first column that many cells down and its further columns as far as its wrap indent says
// (by default as the first), and a raised line that fits one column ends that many cells above
// the column's foot, alone in its column. A line raised from mid-line keeps its text before that
// point in place and sets the rest, when it fits one column, at the foot of the column that text
// ends in, or of the next column where there is no room; a longer rest runs on from the next
// column.
//
// A geometry with pairCells counts a pair cell as one cell. With `kinsoku`, no column starts with
// a closing mark (、。」）…), ・, ー or a small kana where spaces can help it: the character before
// such marks moves to the next column with them, at most three characters, within a line.
//
// Given `ahead`, a text of kWriteAheadFrom bytes or more may be written on a thread of its own:
// then *ahead is set, the count of cells returned at once, and until *ahead is gone the text
// must be read only where awaitWritten has let it, and its size is not yet its length.
std::int64_t NormalizeVerse(const PageGeometry& geometry, std::string& text, EventPump& pump,
                            const LineLayouts& lines = {}, bool packedPages = false,
                            bool kinsoku = false, std::unique_ptr<WritingAhead>* ahead = nullptr);
std::int64_t NormalizeProse(const PageGeometry& geometry, std::string& text, EventPump& pump,
                            const LineLayouts& lines = {}, bool packedPages = false,
                            bool kinsoku = false, std::unique_ptr<WritingAhead>* ahead = nullptr);

} // namespace engine

#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace engine {

// The layout parameters of one conversion.
struct PageGeometry {
    std::int32_t rowCount = 23;      // rows per page = cells per column
    std::int32_t textLength = 0;     // bytes of the normalised text, end byte included
    std::int32_t columnSlots = 20;   // column slots across a page (26 with one-byte blank columns)
    std::string spacer = "\x81\x40"; // one cell of a blank column: "　", or " "
    bool pairCells = false;          // the text may hold pair cells (see isPairCellAt)
};

// Rows per page for a line spacing (gyokan 0-4) and character size (charsize 0-1). Newspaper mode
// (4) ignores the character size; any character size but 0 counts as double height; a line
// spacing without a choice (negative or out of range) gets the row count of "none".
std::int32_t RowCountFor(int gyokan, int charsize);

// The geometry for the given settings, textLength left at 0.
PageGeometry MakePageGeometry(int gyokan, int charsize, int spaceline);

// Whether `spaceline` asks for pages without blank columns.
constexpr bool UsesPackedLayout(int spaceline) {
    return spaceline == 2;
}

inline constexpr int kRowWidth = 40;
inline constexpr int kMaxRows = 32;

// Whether the layout can fill rows of this geometry without a row growing past 40 bytes: 1 to 32
// rows, an even number of column slots of which a spaced page's (every text cell two bytes at
// most, every blank cell the spacer, and with a one-byte spacer one more byte) fit in 40 bytes.
bool IsValidGeometry(const PageGeometry& geometry);

// Text columns of a page without blank columns: never more than a 40-byte row holds, also when
// the blank-column setting is changed to none while a run that started with one-byte blank
// columns (26 slots) is under way.
constexpr int PackedColumns(const PageGeometry& geometry) {
    return geometry.columnSlots < kRowWidth / 2 ? geometry.columnSlots : kRowWidth / 2;
}

// Rows the layout fills: rowCount, kept within what a page can hold.
constexpr int LaidOutRows(const PageGeometry& geometry) {
    return geometry.rowCount < 1 ? 1
                                 : (geometry.rowCount > kMaxRows ? kMaxRows : geometry.rowCount);
}

// The rows of the page being built. Rows grow from right to left: every cell is put in front of
// what the row already holds. A row never exceeds 40 bytes (every cell has one or two bytes and a
// page has at most 40 bytes of cells across), so each row lives right-aligned in a fixed buffer.
class PageRows {
  public:
    PageRows() { clear(); }

    void clear() { m_start.fill(kRowWidth); }

    // Puts `cell` (one or two bytes) at the start of row i.
    void prepend(int row, std::string_view cell) {
        if (cell.size() == 2)
            prepend(row, cell[0], cell[1]);
        else
            prepend(row, cell[0]);
    }
    void prepend(int row, char byte) {
        assert(row >= 0 && row < kMaxRows && m_start[row] >= 1);
        m_bytes[row][--m_start[row]] = byte;
    }
    void prepend(int row, char first, char second) {
        assert(row >= 0 && row < kMaxRows && m_start[row] >= 2);
        const int start = m_start[row] -= 2;
        m_bytes[row][start] = first;
        m_bytes[row][start + 1] = second;
    }

    std::string_view row(int i) const {
        return {&m_bytes[i][m_start[i]], static_cast<std::size_t>(kRowWidth - m_start[i])};
    }

    // The row filled up to 40 bytes with spaces on the left.
    std::string_view paddedRow(int i) {
        std::memset(&m_bytes[i][0], ' ', m_start[i]);
        m_start[i] = 0;
        return {&m_bytes[i][0], kRowWidth};
    }

  private:
    std::array<std::array<char, kRowWidth>, kMaxRows> m_bytes{};
    std::array<int, kMaxRows> m_start{};
};

// Where the layout stands in the text; carried from page to page and from one output file to the
// next, reset for each text.
struct LayoutState {
    std::int32_t textCursor = 1; // 1-based position of the next byte to lay out
    bool textExhausted = false;
};

} // namespace engine

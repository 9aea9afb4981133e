#include "column_layout.h"

#include "full_width.h"
#include "sjis.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>

namespace engine {
namespace {

constexpr std::string_view kVerticalBar = "\x81\x62"; // ｜

// The cell a two-byte character turns into in a column, empty for one that stands as it is: 。 and
// 、 become small marks at the cell's right, ー and ― the vertical bar.
constexpr std::string_view turnedInColumn(unsigned char lead, unsigned char second) {
    if (lead != 0x81)
        return {};
    switch (second) {
    case 0x42:
        return " \xdf"; // 。
    case 0x41:
        return " `"; // 、
    case 0x5B:       // ー
    case 0x5C:       // ―
        return kVerticalBar;
    default:
        return {};
    }
}

constexpr bool isTurnedInColumn(unsigned char lead, unsigned char second) {
    return !turnedInColumn(lead, second).empty();
}

// The cell for the character at 0-based index i of the text's content (the text without its end
// byte), and how far the cursor moves past it.
struct Cell {
    std::string_view bytes;
    int step;
};

Cell cellAt(std::string_view content, std::size_t i) {
    const unsigned char b = byteAt(content, i);
    if (isLeadByte(b)) {
        // A lead byte cut off by the end of the text would pair with the end byte and carry the
        // cursor past it; it stands as the geta mark, one cell, so the end is still found.
        if (i + 1 >= content.size())
            return {kGeta, 1};
        const std::string_view turned = turnedInColumn(b, byteAt(content, i + 1));
        return {turned.empty() ? content.substr(i, 2) : turned, 2};
    }
    if (b == 0x2D)
        return {kVerticalBar, 1};
    if (b >= 0x20 && b <= 0x7E)
        return {fullWidthAscii(b), 1};
    if (isHalfWidthKana(b)) {
        if (i + 1 < content.size() && isHalfWidthMark(byteAt(content, i + 1)))
            return {content.substr(i, 2), 2};
        return {fullWidthKana(b), 1};
    }
    return {content.substr(i, 1), 1};
}

void addBlankColumn(const PageGeometry& geometry, PageRows& rows) {
    // Read once: the compiler cannot tell that writing the rows leaves the geometry alone.
    const int rowCount = LaidOutRows(geometry);
    if (geometry.spacer.size() == 2) {
        const char first = geometry.spacer[0];
        const char second = geometry.spacer[1];
        for (int r = 0; r < rowCount; ++r)
            rows.prepend(r, first, second);
        return;
    }
    const char blank = geometry.spacer[0];
    for (int r = 0; r < rowCount; ++r)
        rows.prepend(r, blank);
}

} // namespace

bool BuildColumn(const PageGeometry& geometry, std::string_view text, PageRows& rows,
                 LayoutState& state) {
    // The content stops before the end byte; a text without one is taken whole.
    const std::size_t contentLength = geometry.textLength > 0 ? geometry.textLength - 1 : 0;
    const std::string_view content = text.substr(0, std::min(contentLength, text.size()));
    std::int32_t cursor = state.textCursor;
    const int rowCount = LaidOutRows(geometry);
    for (int r = 0; r < rowCount; ++r) {
        const std::size_t i = static_cast<std::size_t>(cursor - 1);
        if (i >= content.size()) {
            state.textCursor = cursor;
            state.textExhausted = true;
            return true;
        }
        const unsigned char b = byteAt(content, i);
        // Most cells of a Japanese text are plain two-byte characters: copy them straight.
        if (isLeadByte(b) && i + 1 < content.size()) {
            const unsigned char second = byteAt(content, i + 1);
            if (!isTurnedInColumn(b, second)) {
                rows.prepend(r, static_cast<char>(b), static_cast<char>(second));
                cursor += 2;
                continue;
            }
        }
        if (b == static_cast<unsigned char>(kPairCellMark) && geometry.pairCells &&
            isPairCellAt(content, i)) {
            rows.prepend(r, content[i + 1], content[i + 2]);
            cursor += kPairCellBytes;
            continue;
        }
        const Cell cell = cellAt(content, i);
        rows.prepend(r, cell.bytes);
        cursor += cell.step;
    }
    state.textCursor = cursor;
    return false;
}

namespace {

// A geometry whose rows would not fit 40 bytes lays out nothing: the text counts as exhausted.
bool refuseGeometry(const PageGeometry& geometry, PageRows& rows, LayoutState& state) {
    if (IsValidGeometry(geometry))
        return false;
    assert(!"a page geometry that no settings make");
    rows.clear();
    state.textExhausted = true;
    return true;
}

} // namespace

bool LayoutPackedPage(const PageGeometry& geometry, std::string_view text, PageRows& rows,
                      LayoutState& state) {
    if (refuseGeometry(geometry, rows, state))
        return true;
    rows.clear();
    bool exhausted = false;
    for (int column = 0; column < PackedColumns(geometry); ++column)
        exhausted = BuildColumn(geometry, text, rows, state);
    return exhausted;
}

bool LayoutSpacedPage(const PageGeometry& geometry, std::string_view text, PageRows& rows,
                      LayoutState& state) {
    if (refuseGeometry(geometry, rows, state))
        return true;
    rows.clear();
    if (geometry.spacer == " ") {
        for (int r = 0; r < LaidOutRows(geometry); ++r)
            rows.prepend(r, ' ');
    }
    for (int slot = geometry.columnSlots; slot >= 1; --slot) {
        if (slot % 2 == 0)
            BuildColumn(geometry, text, rows, state);
        else
            addBlankColumn(geometry, rows);
    }
    return state.textExhausted;
}

bool LayoutPage(int spaceline, const PageGeometry& geometry, std::string_view text, PageRows& rows,
                LayoutState& state) {
    return UsesPackedLayout(spaceline) ? LayoutPackedPage(geometry, text, rows, state)
                                       : LayoutSpacedPage(geometry, text, rows, state);
}

namespace {

// The shape every row of a page of two-byte cells has: the spacers and the left padding in
// place, and where each text column's cell goes, in the order the text fills the columns.
struct RowShape {
    std::array<char, kRowWidth + 2> bytes{}; // the row with its CR LF
    std::array<int, kRowWidth / 2> cellOffsets{};
    int columns = 0;
};

RowShape shapeOfRows(bool packed, const PageGeometry& geometry) {
    RowShape shape;
    int start = kRowWidth;
    const auto putCell = [&] {
        start -= 2;
        shape.cellOffsets[static_cast<std::size_t>(shape.columns++)] = start;
    };
    const auto put = [&](std::string_view bytes) {
        start -= static_cast<int>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), shape.bytes.begin() + start);
    };
    if (packed) {
        for (int column = 0; column < PackedColumns(geometry); ++column)
            putCell();
    } else {
        if (geometry.spacer == " ")
            put(" ");
        for (int slot = geometry.columnSlots; slot >= 1; --slot) {
            if (slot % 2 == 0)
                putCell();
            else
                put(geometry.spacer);
        }
    }
    std::fill(shape.bytes.begin(), shape.bytes.begin() + start, ' ');
    shape.bytes[kRowWidth] = '\r';
    shape.bytes[kRowWidth + 1] = '\n';
    return shape;
}

// The cells of two-byte characters led by 0x81, as a column shows them: turned where they turn.
constexpr std::array<std::array<char, 2>, 256> makeCellsLedBy81() {
    std::array<std::array<char, 2>, 256> cells{};
    for (int second = 0; second < 256; ++second) {
        const std::string_view turned = turnedInColumn(0x81, static_cast<unsigned char>(second));
        cells[second] = turned.empty() ? std::array<char, 2>{'\x81', static_cast<char>(second)}
                                       : std::array<char, 2>{turned[0], turned[1]};
    }
    return cells;
}
constexpr auto kCellsLedBy81 = makeCellsLedBy81();

constexpr std::size_t kRowBytes = kRowWidth + 2;

// Copies the page's cells from index i of the content into their places, column after column,
// and moves i past them. False at a cell of one byte, one that would put an LF in a row, or the
// end of the text; kNearEnd says whether the end may come within the page.
template <bool kNearEnd>
bool fillCells(const RowShape& shape, int rowCount, bool pairCells, std::string_view content,
               std::size_t& i, char* page) {
    const std::size_t size = content.size();
    for (int column = 0; column < shape.columns; ++column) {
        char* cell = page + 2 + shape.cellOffsets[static_cast<std::size_t>(column)];
        for (int r = 0; r < rowCount; ++r, cell += kRowBytes) {
            if (kNearEnd && i + 1 >= size)
                return false;
            const unsigned char b = byteAt(content, i);
            if (isLeadByte(b)) {
                const unsigned char second = byteAt(content, i + 1);
                if (second == '\n')
                    return false;
                // Without a branch: punctuation led by 0x81 comes too irregularly to predict.
                std::uint16_t plain;
                std::uint16_t led81;
                std::memcpy(&plain, content.data() + i, 2);
                std::memcpy(&led81, kCellsLedBy81[second].data(), 2);
                const auto pick = static_cast<std::uint16_t>(b == 0x81 ? 0xFFFF : 0);
                const auto bytes = static_cast<std::uint16_t>((led81 & pick) | (plain & ~pick));
                std::memcpy(cell, &bytes, 2);
                i += 2;
                continue;
            }
            if (b == static_cast<unsigned char>(kPairCellMark) && pairCells &&
                isPairCellAt(content, i)) {
                cell[0] = content[i + 1];
                cell[1] = content[i + 2];
                i += kPairCellBytes;
                continue;
            }
            const Cell other = cellAt(content, i);
            if (other.bytes.size() != 2)
                return false;
            cell[0] = other.bytes[0];
            cell[1] = other.bytes[1];
            i += static_cast<std::size_t>(other.step);
        }
    }
    return true;
}

} // namespace

bool AppendTwoByteCellPage(int spaceline, const PageGeometry& geometry, std::string_view text,
                           LayoutState& state, std::string& out) {
    if (!IsValidGeometry(geometry) || state.textExhausted || state.textCursor < 1)
        return false;
    const std::size_t contentLength = geometry.textLength > 0 ? geometry.textLength - 1 : 0;
    const std::string_view content = text.substr(0, std::min(contentLength, text.size()));
    const RowShape shape = shapeOfRows(UsesPackedLayout(spaceline), geometry);
    const int rowCount = LaidOutRows(geometry);

    const std::size_t start = out.size();
    out.resize(start + 2 + kRowBytes * static_cast<std::size_t>(rowCount));
    char* const page = out.data() + start;
    page[0] = '\r';
    page[1] = '\n';
    for (int r = 0; r < rowCount; ++r)
        std::copy(shape.bytes.begin(), shape.bytes.end(), page + 2 + kRowBytes * r);

    // Far from the end of the text, no cell can reach it.
    std::size_t i = static_cast<std::size_t>(state.textCursor - 1);
    const std::size_t mostBytes =
        kPairCellBytes * static_cast<std::size_t>(shape.columns * rowCount);
    const bool filled =
        i < content.size() && content.size() - i > mostBytes
            ? fillCells<false>(shape, rowCount, geometry.pairCells, content, i, page)
            : fillCells<true>(shape, rowCount, geometry.pairCells, content, i, page);
    if (!filled) {
        out.resize(start);
        return false;
    }
    state.textCursor = static_cast<std::int32_t>(i + 1);
    return true;
}

} // namespace engine

#include "column_layout.h"

#include "full_width.h"
#include "sjis.h"

#include <cassert>

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

} // namespace engine

#pragma once

#include "page_geometry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// The normalised text ends with one end byte that carries no content; geometry.textLength counts
// it. Each operation reads and advances `state`.

// Fills one cell in each of rowCount rows from the text at the cursor. Returns true when it met the
// end of the text (the column may then be incomplete), false when the column is full.
bool BuildColumn(const PageGeometry& geometry, std::string_view text, PageRows& rows,
                 LayoutState& state);

// One page of text columns only (columnSlots of them). Returns true when the text is exhausted.
bool LayoutPackedPage(const PageGeometry& geometry, std::string_view text, PageRows& rows,
                      LayoutState& state);

// One page with a blank column after every text column. Returns true when the text is exhausted.
bool LayoutSpacedPage(const PageGeometry& geometry, std::string_view text, PageRows& rows,
                      LayoutState& state);

// The layout chosen by spaceline: packed for 2, spaced otherwise.
bool LayoutPage(int spaceline, const PageGeometry& geometry, std::string_view text, PageRows& rows,
                LayoutState& state);

// The page at the cursor, appended to `out` as WritePage stores what LayoutPage makes of it, when
// every cell of the page takes two bytes, the text goes on past the page and no row would hold an
// LF byte: then every row has the same shape, and each cell is copied straight to its place. For
// any other page returns false and leaves `out` and `state` as they were, for LayoutPage.
bool AppendTwoByteCellPage(int spaceline, const PageGeometry& geometry, std::string_view text,
                           LayoutState& state, std::string& out);

} // namespace engine

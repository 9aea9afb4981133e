#pragma once

#include <cstddef>
#include <vector>

namespace engine {

// How one line of a text is to stand in its columns, where a marked-up source (Aozora Bunko's
// notation) asks for more than running on: a page break before it, an indent, or alignment to the
// foot of the column. Lines without an entry are laid out as usual.
struct LineLayout {
    std::size_t lineStart = 0;    // byte offset of the line's first byte in the text
    bool pageBreakBefore = false; // the line starts at the top of the first column of a new page
    int indent = 0;               // the line's first column starts this many cells down
    int wrapIndent = -1; // >= 0: its further columns start this many cells down; else as the first
    int raise = -1; // >= 0: the raised part, if it fits a column, ends this many cells above a foot
    // Bytes into the line where its raised part starts: 0, the whole line stands alone at the foot
    // of its column; else the part from here goes to the foot of the column the text before it
    // ends in, or of the next column when it does not fit there.
    std::size_t raiseFrom = 0;
};

// Sorted by lineStart, at most one entry a line.
using LineLayouts = std::vector<LineLayout>;

} // namespace engine

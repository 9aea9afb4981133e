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
    int indent = 0;               // every column of the line starts this many cells down
    int raise = -1; // >= 0: a line that fits one column ends this many cells above its foot
};

// Sorted by lineStart, at most one entry a line.
using LineLayouts = std::vector<LineLayout>;

} // namespace engine

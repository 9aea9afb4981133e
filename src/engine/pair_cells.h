#pragma once
// Two-digit numbers set upright in one cell, as printed vertical text sets them (縦中横).

#include "line_layout.h"

#include <cstddef>
#include <string>

namespace engine {

// Turns every run of exactly two digits (ASCII or full-width, in any mix) from byte `from` of
// `text` on into a pair cell of two ASCII digits, and moves the layouts' line starts (and the starts
// of their raised parts) with their lines. Pair cells already in the text stay as they are; with `dropStrayMarks`, a pair-cell mark
// byte that came with the source goes, so that only the cells made here are read as pairs.
void SetTwoDigitNumbersUpright(std::string& text, std::size_t from, LineLayouts& lines,
                               bool dropStrayMarks);

} // namespace engine

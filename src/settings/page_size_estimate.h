#pragma once

#include <optional>

namespace settings {

// Bytes one output page takes for a line spacing (gyokan) and character size (charsize): a page
// separator of 2 bytes and 42 bytes per row, except newspaper mode (4), which counts 484 whatever
// the size. Any size other than 0, no choice included, counts as double height. Nothing for a
// line spacing outside 0 to 4.
std::optional<int> BytesPerPage(int gyokan, int charsize);

// Roughly how many kilobytes one split output file of `pagesPerFile` pages takes: pages times
// bytes per page, divided by 1024 with the remainder dropped. Nothing for a line spacing outside
// 0 to 4, where the label is left as it is.
std::optional<int> PageSizeEstimateKb(int gyokan, int charsize, int pagesPerFile);

} // namespace settings

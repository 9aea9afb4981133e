#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// The small title page put in place of the head lines: four LFs, two full-width spaces, the title,
// two LFs, seven full-width spaces, the author, and eight closing LFs less one for each further
// column the title fills (each 2 * rowCount bytes of it), none when that comes to 8 or more.
// Line breaks are single LFs, like those of the text as read.
std::string BuildHeaderBlock(std::string_view title, std::string_view author,
                             std::int32_t rowCount);

// Replaces the first headLength bytes of `text` (the title and author lines with their LFs) by
// `block`. Never removes more than the text holds.
void SpliceHeaderBlock(std::string& text, std::int32_t headLength, std::string_view block);

} // namespace engine

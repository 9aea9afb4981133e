#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace files {

// A Shift_JIS (code page 932) byte string as a file name in the file system's encoding (UTF-8 on
// Linux). A byte sequence that cannot be decoded becomes U+FFFD; a folder separator becomes the
// full-width slash and a control byte is left out, wherever they come from.
// `lost` holds, in order, the characters the name's 〓s stand for (UTF-8), as far as known: they
// take the places of those 〓s.
std::string FileNameFromShiftJis(std::string_view sjis, const std::vector<std::string>& lost = {});

// Shift_JIS as UTF-8 with the characters its 〓s stand for, as far as `lost` knows them.
std::string Utf8FromShiftJisRestoring(std::string_view sjis, const std::vector<std::string>& lost);

// The same decoding to UTF-8, for showing a text where no other decoder is at hand.
std::string Utf8FromShiftJis(std::string_view sjis);

} // namespace files

#pragma once

#include <string>
#include <string_view>

namespace files {

// A Shift_JIS (code page 932) byte string as a file name in the file system's encoding (UTF-8 on
// Linux). A byte sequence that cannot be decoded becomes U+FFFD; a folder separator becomes the
// full-width slash and a control byte is left out, wherever they come from.
std::string FileNameFromShiftJis(std::string_view sjis);

// The same decoding to UTF-8, for showing a text where no other decoder is at hand.
std::string Utf8FromShiftJis(std::string_view sjis);

} // namespace files

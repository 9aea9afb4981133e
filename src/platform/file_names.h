#pragma once

#include <string>
#include <string_view>

namespace platform {

// A Shift_JIS (code page 932) byte string as a file name in the file system's encoding (UTF-8 on
// Linux). A byte sequence that cannot be decoded becomes U+FFFD.
std::string FileNameFromShiftJis(std::string_view sjis);

// The same decoding, for showing engine texts (status messages, questions) to the user as UTF-8.
std::string Utf8FromShiftJis(std::string_view sjis);

} // namespace platform

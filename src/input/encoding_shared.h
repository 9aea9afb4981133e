#pragma once
// The byte work that detection and the conversion (decoders.cpp) share, in encoding_detection.cpp.

#include "input/encoding.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace input {

std::size_t byteOrderMarkLength(std::string_view bytes, Encoding encoding);
std::optional<std::string> jisX0213AsJisX0208(std::string_view text);
char16_t eucJpMsIbmExtension(std::string_view sequence);

// Code page 932's bytes for a character that the JIS mapping tables (used by iconv, Java, macOS
// and ICU's JIS-Roman) put at another code point than Microsoft's table does: the same character,
// so it takes code page 932's code rather than 〓. Nothing for any other character.
std::optional<std::string_view> jisVariantBytes(char32_t codePoint);

} // namespace input

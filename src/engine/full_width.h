#pragma once

#include <string_view>

namespace engine {

// Full-width (JIS X 0208) form of a one-byte character 0x20-0x7E, as code page 932 maps it.
std::string_view fullWidthAscii(unsigned char b);

// Full-width form of a half-width katakana byte 0xA0-0xDF (0xA0 gives the full-width space).
std::string_view fullWidthKana(unsigned char b);

} // namespace engine

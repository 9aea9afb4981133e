#pragma once

#include <cstddef>
#include <string_view>

namespace settings {

// The longest start of `bytes` of at most `maxBytes` bytes that does not end inside a UTF-8
// character. A byte that is not part of a well-formed UTF-8 sequence counts as a character of its
// own, so text in another encoding is cut at `maxBytes` or at most three bytes before.
std::string_view Utf8PrefixWithin(std::string_view bytes, std::size_t maxBytes);

} // namespace settings

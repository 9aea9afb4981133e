#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// The first two lines at the head of a text, made fit for a file name: the one-byte characters
// \ / : , * ? " < > | that stand as characters of their own are replaced by their full-width
// forms. Either may be empty.
struct HeaderInfo {
    std::string title;
    std::string author;
};

// Bytes at the start of the text that recognition looks at.
inline constexpr std::size_t kHeadSize = 300;

// Recognises title and author in the first kHeadSize bytes of a text as read (CRs already
// dropped, cut at its 0x1A). Assigns info.title when a first line break was found and info.author
// when a second one was, and returns headLength: the bytes the two lines and their LFs take at the
// start of the text, or 0 when the second line break was not found within the window.
std::int32_t RecognizeHeader(std::string_view textAsRead, HeaderInfo& info);

} // namespace engine

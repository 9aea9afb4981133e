#pragma once

#include "event_pump.h"

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

// Bytes of the file's text (CRs dropped) that recognition looks at.
inline constexpr std::size_t kHeadSize = 300;

// Recognises title and author in the first bytes of a file as stored. The text-stream rules are
// applied here (every CR is dropped, the first 0x1A ends the text), then only the first kHeadSize
// bytes count. Assigns info.title when a first line break was found and info.author when a second
// one was, and returns headLength: the bytes the two lines and their LFs take at the start of the
// text as read, or 0 when the second line break was not found within the window.
std::int32_t RecognizeHeaderBytes(std::string_view fileBytes, HeaderInfo& info);

// The outcome of RecognizeHeader. When the file could not be opened or read, `readable` is false,
// `reason` holds the system's words (strerror), headLength is 0 and the HeaderInfo is untouched.
struct HeaderRecognition {
    std::int32_t headLength = 0;
    bool readable = false;
    std::string reason;
};

// Reads the head of the file at `path` (file-system bytes) and recognises title and author in it
// as RecognizeHeaderBytes does. The file is open only during the call.
HeaderRecognition RecognizeHeader(const std::string& path, HeaderInfo& info, EventPump& pump);

} // namespace engine

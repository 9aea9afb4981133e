#pragma once
// Sources in other encodings than code page 932 (Shift_JIS): found out and turned into code page
// 932 bytes, so that the engine sees what it always has. A text that is plain ASCII or code page
// 932 goes through untouched.

#include "engine/settings.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace input {

using engine::Encoding;

// A source's bytes as code page 932.
struct Decoded {
    bool converted = false;   // false: the bytes are used as they are
    std::string bytes;        // when converted: the code page 932 bytes
    std::size_t replaced = 0; // characters code page 932 cannot hold, each written as 〓
    // For each 〓 in the first kLostKeptBytes bytes of `bytes`, in order, what it stands for
    // (UTF-8): a character code page 932 lacks, or 〓 itself (for 〓, and for what could not be
    // read).
    std::vector<std::string> lost;
};

inline constexpr std::size_t kLostKeptBytes = 1024;

// What the bytes are, as WeighEncodings (encoding_evidence.h) finds: never Auto.
Encoding DetectEncoding(std::string_view bytes);

// The bytes as code page 932: `choice` Auto detects, anything else is taken as told. Code page 932
// (detected or chosen) comes back unconverted, without a copy: the caller keeps its bytes. Anything
// else loses its byte-order mark, and every character code page 932 lacks, or every sequence the
// encoding cannot read, becomes 〓 and is counted. Line breaks and control bytes pass as they are.
// Time linear in the text, the same on every system. Throws std::bad_alloc when memory runs out.
Decoded ToCodePage932(std::string_view bytes, Encoding choice);

} // namespace input

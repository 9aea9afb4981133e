#pragma once
// How a source file becomes the text the conversion works on. Files were always read as text
// streams: every CR byte is dropped wherever it stands (a CR LF arrives as LF, a stray CR
// vanishes), and the first 0x1A byte ends the file. A text whose lines end in CR alone (no LF
// anywhere before that 0x1A, as classic Mac OS saved them) has each CR taken as a line break
// instead. Every reader of a source applies this one rule: the run, the title and author
// recognition and the preview.

#include "event_pump.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The byte that follows every text read for conversion; the layout stops on it and never places it.
inline constexpr char kEndByte = '\xFF';

// The rule applied to a whole file's bytes in place, serving `pump` every block of them. Returns
// where the 0x1A that ended the text stood in `bytes`, if one did.
std::optional<std::size_t> MakeTextAsRead(std::string& bytes, EventPump& pump);
inline std::optional<std::size_t> MakeTextAsRead(std::string& bytes) {
    NoEventPump none;
    return MakeTextAsRead(bytes, none);
}

} // namespace engine

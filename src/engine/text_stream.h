#pragma once
// How a source file becomes the text the conversion works on. Files were always read as text
// streams: every CR byte is dropped wherever it stands (a CR LF arrives as LF, a lone CR
// vanishes), and the first 0x1A byte ends the file. Every reader of a source applies this one
// rule: the run, the title and author recognition and the preview.

#include "event_pump.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// The byte that follows every text read for conversion; the layout stops on it and never places it.
inline constexpr char kEndByte = '\xFF';

// Appends `bytes` to `text` as a text stream delivers them, stopping once `text` holds `limit`
// bytes. Returns false once nothing more is wanted: the 0x1A was met or the limit reached.
bool AppendAsTextStreamRead(std::string& text, std::string_view bytes,
                            std::size_t limit = std::string::npos);

// The same rule applied to a whole file's bytes in place, serving `pump` every block of them.
void MakeTextAsRead(std::string& bytes, EventPump& pump);
inline void MakeTextAsRead(std::string& bytes) {
    NoEventPump none;
    MakeTextAsRead(bytes, none);
}

} // namespace engine

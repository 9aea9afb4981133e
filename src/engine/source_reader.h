#pragma once

#include "event_pump.h"

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The byte that follows every text read for conversion; the layout stops on it and never places it.
inline constexpr char kEndByte = '\xFF';

// Appends file bytes to a text as a text stream reads them: every CR is dropped, and the first
// 0x1A ends the text. Returns false once that 0x1A has been met (nothing more is to be appended).
bool AppendAsTextStreamRead(std::string& text, std::string_view bytes);

// The whole source as the conversion reads it: the file's bytes after the text-stream rules,
// followed by the end byte. Empty optional with the system's reason when the file cannot be read.
// With a `head`, the text begins with it in place of its first `skip` bytes: what
// SpliceHeaderBlock makes of the text, without moving a whole book to make room.
std::optional<std::string> ReadSourceText(const std::string& path, EventPump& pump,
                                          std::string& error, std::string_view head = {},
                                          std::size_t skip = 0);

} // namespace engine

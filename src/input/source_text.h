#pragma once

#include "engine/source_files.h"

#include <string>

namespace input {

// A source's bytes as the engine takes them: in code page 932 (converted from the encoding the
// settings name, or the one found out), the text-stream rule applied (every CR dropped, cut at the
// first 0x1A), and, when the settings ask for it, Aozora Bunko's notation taken out.
engine::SourceText SourceFromBytes(std::string bytes, const settings::Settings& live,
                                   engine::EventPump& pump);

} // namespace input

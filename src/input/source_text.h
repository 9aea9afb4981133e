#pragma once

#include "engine/input_stage.h"

#include <string>

namespace input {

// A source's bytes as the engine takes them: in code page 932 (converted from the encoding the
// settings name, or the one found out), the text-stream rule applied (every CR dropped, cut at the
// first 0x1A), and, when the settings ask for it, Aozora Bunko's notation taken out.
engine::SourceText SourceFromBytes(std::string bytes, const engine::Settings& live,
                                   engine::EventPump& pump);

// The input stage the run is given.
class SourceInput final : public engine::InputStage {
  public:
    engine::SourceText prepare(std::string bytes, const engine::Settings& live,
                               engine::EventPump& pump) override {
        return SourceFromBytes(std::move(bytes), live, pump);
    }
};

} // namespace input

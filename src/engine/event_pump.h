#pragma once

#include <cstddef>

namespace engine {

// Lets the window stay responsive during long passes: the engine calls ProcessPendingEvents at
// regular points (every block of text read or scanned, every page laid out).
class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void ProcessPendingEvents() = 0;
};

// For the command-line tool and tests: there is no event queue to serve.
class NoEventPump final : public EventPump {
  public:
    void ProcessPendingEvents() override {}
};

// How many bytes a pass works through between two calls of ProcessPendingEvents.
inline constexpr std::size_t kEventPumpBlock = 64 * 1024;

} // namespace engine

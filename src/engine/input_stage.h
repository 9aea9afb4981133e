#pragma once

#include "event_pump.h"
#include "line_layout.h"
#include "settings.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// An encoding found out on thin evidence: the one a source was read in, and the one that came
// closest to it. The user should hear which was taken.
struct EncodingGuess {
    Encoding taken;
    Encoding closest;
};

// How the gaiji notes of an Aozora Bunko text were resolved: to the character they name, to a
// readable form of it (ヷ as ワ゛), or to 〓.
struct GaijiCounts {
    std::size_t exact = 0;
    std::size_t readableForm = 0;
    std::size_t geta = 0;
};

// A source as the conversion takes it.
struct SourceText {
    std::string text;         // code page 932, the text-stream rule applied
    LineLayouts lines;        // what a marked-up source asks of its lines' layout
    std::size_t replaced = 0; // characters of another encoding code page 932 cannot hold, as 〓
    // The source's byte at which an end-of-file mark (0x1A) ended the text: nothing after it is
    // converted.
    std::optional<std::size_t> endOfFileMark;
    // A source in another encoding: for each 〓 in the first kHeadSize bytes of `text`, in order,
    // the character of the source it stands for (UTF-8), so that names and questions can show
    // what code page 932 lacks. Empty when there is none, or when the notation's removal changed
    // the head lines.
    std::vector<std::string> lostInHead;
    // Set when the notation of Aozora Bunko was taken out.
    std::optional<GaijiCounts> gaiji;
    // Set when the source's encoding was found out and the evidence barely favoured it.
    std::optional<EncodingGuess> encodingGuess;
};

// Turns a source's bytes into the text the conversion takes: whatever their encoding, and with
// whatever notation the settings say to take out. May throw std::bad_alloc.
class InputStage {
  public:
    virtual ~InputStage() = default;
    virtual SourceText prepare(std::string bytes, const Settings& live, EventPump& pump) = 0;
};

} // namespace engine

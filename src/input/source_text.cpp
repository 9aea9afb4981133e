#include "input/source_text.h"

#include "engine/text_stream.h"
#include "input/aozora_notation.h"
#include "input/encoding.h"

namespace input {

engine::SourceText SourceFromBytes(std::string bytes, const engine::Settings& live,
                                   engine::EventPump& pump) {
    engine::SourceText source;
    // Code page 932 bytes stay where they are; only another encoding is converted. Conversion
    // comes first: in UTF-16 a CR or 0x1A byte can be half of another character.
    Decoded decoded = ToCodePage932(bytes, live.encoding);
    if (decoded.converted) {
        bytes = std::move(decoded.bytes);
        source.replaced = decoded.replaced;
    }
    pump.ProcessPendingEvents();
    engine::MakeTextAsRead(bytes, pump);
    if (live.aozora) {
        AozoraText clean =
            RemoveAozoraNotation(bytes, live.rubyInParentheses ? Ruby::Parentheses : Ruby::Drop);
        bytes = std::move(clean.text);
        source.lines = std::move(clean.lines);
    }
    source.text = std::move(bytes);
    return source;
}

} // namespace input

#include "input/source_text.h"

#include "engine/text_stream.h"
#include "input/aozora_notation.h"
#include "input/encoding.h"
#include "input/encoding_evidence.h"
#include "input/encoding_shared.h"

#include <utility>

namespace input {
namespace {

// Where the end-of-file mark stood in the file itself, for a text converted from another
// encoding: the character U+001A, which UTF-16 writes as a code unit and the others as the byte.
std::size_t markInFile(std::string_view file, Encoding encoding) {
    if (encoding != Encoding::Utf16Le && encoding != Encoding::Utf16Be)
        return file.find('\x1A');
    const bool bigEndian = encoding == Encoding::Utf16Be;
    for (std::size_t i = byteOrderMarkLength(file, encoding); i + 1 < file.size(); i += 2) {
        const char low = bigEndian ? file[i + 1] : file[i];
        const char high = bigEndian ? file[i] : file[i + 1];
        if (low == '\x1A' && high == '\0')
            return i;
    }
    return file.size();
}

// The first two lines of a text, where title and author are recognised.
std::string_view headLines(std::string_view text) {
    const std::size_t first = text.find('\n');
    const std::size_t second = first == std::string_view::npos ? first : text.find('\n', first + 1);
    return text.substr(0, second);
}

} // namespace

engine::SourceText SourceFromBytes(std::string bytes, const engine::Settings& live,
                                   engine::EventPump& pump) {
    engine::SourceText source;
    Encoding encoding = live.encoding;
    if (encoding == Encoding::Auto) {
        const EncodingVerdict verdict = WeighEncodings(bytes);
        encoding = verdict.encoding;
        source.encodingGuess = verdict.guess;
    }
    // Code page 932 bytes stay where they are; only another encoding is converted. Conversion
    // comes first: in UTF-16 a CR or 0x1A byte can be half of another character.
    Decoded decoded = ToCodePage932(bytes, encoding);
    if (decoded.converted) {
        std::swap(bytes, decoded.bytes); // the file's own bytes stay in `decoded.bytes`
        source.replaced = decoded.replaced;
        source.lostInHead = std::move(decoded.lost);
    }
    pump.ProcessPendingEvents();
    source.endOfFileMark = engine::MakeTextAsRead(bytes, pump);
    if (source.endOfFileMark && decoded.converted)
        source.endOfFileMark = markInFile(decoded.bytes, encoding);
    decoded.bytes = std::string();
    if (live.aozora) {
        const std::string head(headLines(bytes));
        AozoraText clean = RemoveAozoraNotation(
            std::move(bytes), live.rubyInParentheses ? Ruby::Parentheses : Ruby::Drop);
        // The lost characters follow the 〓s of the head lines only while those lines stand.
        if (headLines(clean.text) != head)
            source.lostInHead.clear();
        bytes = std::move(clean.text);
        source.lines = std::move(clean.lines);
        source.gaiji = clean.gaiji;
    }
    source.text = std::move(bytes);
    return source;
}

} // namespace input

#include "shell/text_codec.h"

#include "engine/source_files.h"

#include "engine/sjis.h"
#include "files/file_names.h"
#include "input/encoding.h"
#include "input/source_text.h"

#include <utility>

#include <QFile>
#include <QStringDecoder>

namespace shell {

QString FromShiftJis(std::string_view sjis) {
    // "windows-31j" is the ICU name of code page 932 (0x5C stays a backslash, 0x8160 is U+FF5E).
    QStringDecoder decoder("windows-31j");
    if (!decoder.isValid())
        return QString::fromStdString(files::Utf8FromShiftJis(sjis));
    return decoder.decode(QByteArrayView(sjis.data(), qsizetype(sjis.size())));
}

namespace {

// What the head of a file is in: as chosen, or found out as the conversion would. A character cut
// off at the end of the head would make the whole head look invalid, so up to three bytes are
// left out of the test. Returns the encoding and how much of the head to decode.
std::pair<engine::Encoding, std::size_t> headEncoding(std::string_view head, bool cut,
                                                      engine::Encoding chosen) {
    if (chosen != engine::Encoding::Auto)
        return {chosen, head.size()};
    for (std::size_t drop = 0; drop <= (cut ? 3u : 0u) && drop < head.size(); ++drop) {
        const std::size_t keep = head.size() - drop;
        const engine::Encoding found = input::DetectEncoding(head.substr(0, keep));
        if (found != engine::Encoding::ShiftJis)
            return {found, keep};
    }
    return {engine::Encoding::ShiftJis, head.size()};
}

// The start of code page 932 `text` that ends on a whole character within `limit` bytes.
std::size_t wholeCharactersWithin(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + engine::charLengthAt(text, end);
        if (next > limit)
            break;
        end = next;
    }
    return end;
}

} // namespace

Preview PreviewText(std::string_view head, bool cut, engine::Encoding encoding, std::size_t limit) {
    const auto [found, keep] = headEncoding(head, cut, encoding);
    // Read as the conversion reads it, notation and all: the tab shows the file, the pages what
    // becomes of it.
    engine::Settings reading;
    reading.encoding = found;
    engine::NoEventPump pump;
    const std::string text =
        input::SourceFromBytes(std::string(head.substr(0, keep)), reading, pump).text;
    Preview preview;
    if (found == engine::Encoding::ShiftJis) {
        // The file's own bytes: a character across the limit gives its first byte.
        preview.cut = cut || text.size() > limit;
        preview.text = FromShiftJis(std::string_view(text).substr(0, limit));
        return preview;
    }
    // Another encoding is cut at a whole character. When the head itself was cut, its last
    // character may be incomplete and is left out.
    std::size_t shown = wholeCharactersWithin(text, limit);
    if (cut && shown == text.size() && shown > 0)
        shown = wholeCharactersWithin(text, shown - 1);
    preview.cut = cut || shown < text.size();
    preview.text = FromShiftJis(std::string_view(text).substr(0, shown));
    preview.characters = static_cast<std::size_t>(preview.text.size());
    return preview;
}

QString PathFromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

std::string PathToBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString EntryText(const std::string& path) {
    const std::optional<engine::MemberSource> member = engine::AsMemberSource(path);
    if (!member)
        return PathFromBytes(path);
    return PathFromBytes(std::string(member->zipPath)) + QStringLiteral(" › ") +
           QString::fromUtf8(member->member.data(), qsizetype(member->member.size()));
}

} // namespace shell

#include "shell/text_codec.h"

#include "engine/text_stream.h"
#include "files/file_names.h"
#include "input/encoding.h"

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

input::Encoding previewEncoding(std::string_view head, bool cut, const std::string& setting) {
    const input::Encoding chosen = input::EncodingFromName(setting).value_or(input::Encoding::Auto);
    if (chosen != input::Encoding::Auto)
        return chosen;
    // A character cut off at the end of the head would make the whole head look invalid.
    for (std::size_t drop = 0; drop <= (cut ? 3u : 0u) && drop < head.size(); ++drop) {
        const input::Encoding found = input::DetectEncoding(head.substr(0, head.size() - drop));
        if (found != input::Encoding::ShiftJis)
            return found;
    }
    return input::Encoding::ShiftJis;
}

const char* qtEncodingName(input::Encoding encoding) {
    switch (encoding) {
    case input::Encoding::Utf8:
        return "UTF-8";
    case input::Encoding::Utf16Le:
        return "UTF-16LE";
    case input::Encoding::Utf16Be:
        return "UTF-16BE";
    case input::Encoding::EucJp:
        return "EUC-JP";
    case input::Encoding::Iso2022Jp:
        return "ISO-2022-JP";
    case input::Encoding::Auto:
    case input::Encoding::ShiftJis:
        break;
    }
    return "windows-31j";
}

} // namespace

Preview PreviewText(std::string_view head, bool cut, const std::string& encodingSetting,
                    std::size_t limit) {
    const input::Encoding encoding = previewEncoding(head, cut, encodingSetting);
    if (encoding == input::Encoding::ShiftJis) {
        std::string text;
        engine::AppendAsTextStreamRead(text, head);
        const bool more = cut || text.size() > limit;
        text.resize(std::min(text.size(), limit));
        return {FromShiftJis(text), more};
    }
    QStringDecoder decoder(qtEncodingName(encoding), QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(head.data(), qsizetype(head.size())));
    // The text-stream rule, on characters rather than bytes: in UTF-16 a 0x0D or 0x1A byte can be
    // half of another character. A byte-order mark is no character of the text.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (const qsizetype end = text.indexOf(QChar(0x1A)); end >= 0)
        text.truncate(end);
    text.remove(QLatin1Char('\r'));
    const bool more = cut || static_cast<std::size_t>(text.size()) > limit;
    text.truncate(static_cast<qsizetype>(std::min<std::size_t>(limit, text.size())));
    return {text, more};
}

QString PathFromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

std::string PathToBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace shell

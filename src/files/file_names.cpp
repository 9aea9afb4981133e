#include "files/file_names.h"

#include "engine/sjis.h"

#include <filesystem>

namespace files {

std::string Utf8FromShiftJisRestoring(std::string_view sjis, const std::vector<std::string>& lost) {
    if (lost.empty())
        return Utf8FromShiftJis(sjis);
    std::string text;
    std::size_t next = 0; // of `lost`
    std::size_t from = 0; // of the stretch not yet decoded
    for (std::size_t i = 0; i < sjis.size() && next < lost.size();) {
        const std::size_t length = engine::charLengthAt(sjis, i);
        if (sjis.substr(i, length) == engine::kGeta) {
            text += Utf8FromShiftJis(sjis.substr(from, i - from));
            text += lost[next++];
            from = i + length;
        }
        i += length;
    }
    return text + Utf8FromShiftJis(sjis.substr(from));
}

std::string FileNameFromShiftJis(std::string_view sjis, const std::vector<std::string>& lost) {
    // A lead byte followed by a byte that cannot be its second one decodes as U+FFFD and lets the
    // byte after it through alone, so a "/" or a control byte can come out of a title that held
    // none standing alone: they become the full-width slash, or are left out.
    constexpr bool backslashSeparates = std::filesystem::path::preferred_separator == '\\';
    std::string name;
    for (const char c : Utf8FromShiftJisRestoring(sjis, lost)) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            continue;
        if (c == '/' || (backslashSeparates && c == '\\'))
            name += "\xEF\xBC\x8F"; // ／
        else
            name += c;
    }
    return name;
}

} // namespace files

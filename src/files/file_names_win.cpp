#include "files/file_names.h"

#include "files/system_text_win.h"

namespace files {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One character of code page 932 through the system's table; empty when the table has none.
std::wstring decodeCharacter(std::string_view bytes) {
    wchar_t wide[2];
    const int size = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(),
                                         static_cast<int>(bytes.size()), wide, 2);
    return size > 0 ? std::wstring(wide, static_cast<std::size_t>(size)) : std::wstring();
}

} // namespace

// Character by character, because the system's table, given a whole string, turns an undecodable
// pair into the katakana middle dot and may take the byte after a stray lead byte with it. Here an
// invalid or cut-off sequence gives one U+FFFD for its first byte and decoding goes on with the
// next one, as on the other systems. 0x80, 0xA0 and 0xFD-0xFF, which Windows maps to private-use
// characters, are undecodable like there.
std::string Utf8FromShiftJis(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    std::size_t pos = 0;
    while (pos < sjis.size()) {
        const auto b = static_cast<unsigned char>(sjis[pos]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++pos;
            continue;
        }
        const std::size_t length = isLeadByte(b) ? 2 : 1;
        std::wstring wide;
        if (b != 0x80 && b != 0xA0 && b < 0xFD && pos + length <= sjis.size())
            wide = decodeCharacter(sjis.substr(pos, length));
        if (wide.empty()) {
            out += kReplacement;
            ++pos;
            continue;
        }
        out += Utf8FromWide(wide);
        pos += length;
    }
    return out;
}

} // namespace files

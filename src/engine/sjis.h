#pragma once
// Shift_JIS (code page 932) byte classification. Every pass that walks a text (reading, header
// recognition, normalisation, layout, name cutting) asks these functions, so they can never
// disagree on where a character or a cell begins.

#include <cstddef>
#include <string_view>

namespace engine {

// A byte 0x81-0x9F or 0xE0-0xFC at a character start opens a two-byte character; the byte after
// it may be anything (0x5C and 0x7C included).
constexpr bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Half-width katakana range as the layout treats it (0xA0 is the layout's blank).
constexpr bool isHalfWidthKana(unsigned char b) {
    return b >= 0xA0 && b <= 0xDF;
}

// The half-width voiced (0xDE) and semi-voiced (0xDF) marks.
constexpr bool isHalfWidthMark(unsigned char b) {
    return b == 0xDE || b == 0xDF;
}

// 〓, the geta mark: the cell of a character that cannot stand as it is, and the code of every
// character code page 932 lacks.
inline constexpr std::string_view kGeta = "\x81\xAC";

constexpr unsigned char byteAt(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// Two half-width characters set side by side in one cell (縦中横, two-digit numbers): the mark
// and then the two, each printable ASCII. Only a text prepared with pair cells holds it; in any
// other text the mark is a byte like any other.
inline constexpr char kPairCellMark = '\x1F';
inline constexpr std::size_t kPairCellBytes = 3;

constexpr bool isPairCellAt(std::string_view s, std::size_t i) {
    const auto printable = [](unsigned char b) { return b >= 0x21 && b <= 0x7E; };
    return i + 2 < s.size() && s[i] == kPairCellMark && printable(byteAt(s, i + 1)) &&
           printable(byteAt(s, i + 2));
}

// Bytes taken by the cell that starts at index i (0-based) of `text`: a two-byte character, a
// half-width kana followed by its voiced or semi-voiced mark, or any other single byte. A lead
// byte with nothing after it is a cell of one byte.
constexpr std::size_t cellLengthAt(std::string_view text, std::size_t i) {
    const unsigned char b = byteAt(text, i);
    if (isLeadByte(b))
        return i + 1 < text.size() ? 2 : 1;
    if (isHalfWidthKana(b) && i + 1 < text.size() && isHalfWidthMark(byteAt(text, i + 1)))
        return 2;
    return 1;
}

// Bytes taken by the character that starts at index i, for passes that count characters rather
// than cells (a half-width kana and its mark are two characters here).
constexpr std::size_t charLengthAt(std::string_view text, std::size_t i) {
    return isLeadByte(byteAt(text, i)) && i + 1 < text.size() ? 2 : 1;
}

} // namespace engine

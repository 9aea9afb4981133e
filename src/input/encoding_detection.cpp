// The byte work every platform's conversion shares.

#include "input/encoding.h"
#include "input/encoding_shared.h"
#include "input/jis_x0208.h"

#include "engine/sjis.h"

#include <iterator>

namespace input {

using engine::byteAt;

// The mark is only dropped when it matches the encoding the bytes are read in: a UTF-8 mark on a
// text forced to EUC-JP is just bytes of that text.
std::optional<std::string_view> jisVariantBytes(char32_t codePoint) {
    struct JisVariant {
        char32_t codePoint;
        std::string_view bytes;
    };
    // Apart from ¢ £ ¬ these are ICU's own fallbacks for windows-31j; its other fallbacks are
    // kanji variants (鴎 for 鷗 and the like), other characters, which stay 〓. № also stands
    // under the private code point IBM gave it.
    static constexpr JisVariant kVariants[] = {
        {0x00A2, "\x81\x91"}, // ¢ as ￠
        {0x00A3, "\x81\x92"}, // £ as ￡
        {0x00A5, "\x5C"},     // ¥ of JIS-Roman: the byte 5C
        {0x00A6, "\xFA\x55"}, // ¦ as ￤
        {0x00AC, "\x81\xCA"}, // ¬ as ￢
        {0x2014, "\x81\x5C"}, // — (EM DASH) as ― (HORIZONTAL BAR)
        {0x2016, "\x81\x61"}, // ‖ as ∥
        {0x203E, "\x7E"},     // ‾ of JIS-Roman: the byte 7E
        {0x2212, "\x81\x7C"}, // − as －
        {0x301C, "\x81\x60"}, // 〜 (WAVE DASH) as ～ (FULLWIDTH TILDE)
        {0xF86F, "\x87\x82"}, // №
    };
    if (codePoint < 0xA2) // ASCII and the like, most of every text
        return std::nullopt;
    for (const JisVariant& variant : kVariants) {
        if (variant.codePoint == codePoint)
            return variant.bytes;
    }
    return std::nullopt;
}

std::size_t byteOrderMarkLength(std::string_view bytes, Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        return bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    case Encoding::Utf16Le:
        return bytes.starts_with("\xFF\xFE") ? 2 : 0;
    case Encoding::Utf16Be:
        return bytes.starts_with("\xFE\xFF") ? 2 : 0;
    default:
        return 0;
    }
}

// eucJP-ms (EUC-JP with Microsoft's characters, as iconv's EUC-JP-MS and MySQL's eucjpms write it)
// puts the IBM extensions JIS X 0212 lacks (ⅰ, Ⅰ, 髙, 﨑 and the like) in one run from 8F F3 F3 to
// 8F F4 FE, where ICU's EUC-JP has nothing. The code point of such a three-byte sequence, else 0.
char16_t eucJpMsIbmExtension(std::string_view sequence) {
    constexpr char16_t codePoints[] = {
        0x2170, 0x2171, 0x2172, 0x2173, 0x2174, 0x2175, 0x2176, 0x2177, 0x2178, 0x2179, 0x2160,
        0x2161, 0x2162, 0x2163, 0x2164, 0x2165, 0x2166, 0x2167, 0x2168, 0x2169, 0xFF07, 0xFF02,
        0x3231, 0x2116, 0x2121, 0x70BB, 0x4EFC, 0x50F4, 0x51EC, 0x5307, 0x5324, 0xFA0E, 0x548A,
        0x5759, 0xFA0F, 0xFA10, 0x589E, 0x5BEC, 0x5CF5, 0x5D53, 0xFA11, 0x5FB7, 0x6085, 0x6120,
        0x654E, 0x663B, 0x6665, 0xFA12, 0xF929, 0x6801, 0xFA13, 0xFA14, 0x6A6B, 0x6AE2, 0x6DF8,
        0x6DF2, 0x7028, 0xFA15, 0xFA16, 0x7501, 0x7682, 0x769E, 0xFA17, 0x7930, 0xFA18, 0xFA19,
        0xFA1A, 0xFA1B, 0x7AE7, 0xFA1C, 0xFA1D, 0x7DA0, 0x7DD6, 0xFA1E, 0x8362, 0xFA1F, 0x85B0,
        0xFA20, 0xFA21, 0x8807, 0xFA22, 0x8B7F, 0x8CF4, 0x8D76, 0xFA23, 0xFA24, 0xFA25, 0x90DE,
        0xFA26, 0x9115, 0xFA27, 0xFA28, 0x9592, 0xF9DC, 0xFA29, 0x973B, 0x974D, 0x9751, 0xFA2A,
        0xFA2B, 0xFA2C, 0x999E, 0x9AD9, 0x9B72, 0xFA2D, 0x9ED1,
    };
    if (sequence.size() != 3 || byteAt(sequence, 0) != 0x8F)
        return 0;
    const int row = byteAt(sequence, 1) - 0xA0;
    const int cell = byteAt(sequence, 2) - 0xA0;
    const int index = (row - 83) * 94 + cell - 83;
    if (cell < 1 || cell > 94 || index < 0 || index >= static_cast<int>(std::size(codePoints)))
        return 0;
    return codePoints[index];
}

// ISO-2022-JP-2004 and -3 designate JIS X 0213 (ESC $ ( Q, ESC $ ( O for plane 1, ESC $ ( P for
// plane 2), which the converters do not know: they would read the escape's tail and every pair
// after it as ASCII. Plane 1 is rewritten as JIS X 0208 (ESC $ B), keeping the pairs JIS X 0208
// assigns; every other pair becomes 22 2F, a cell JIS X 0208 leaves empty, so that it is decoded
// as an undecodable character and ends up as a counted 〓. A line break returns to ASCII, as the
// converters also assume. No JIS X 0213 escape: nothing to rewrite, no copy.
std::optional<std::string> jisX0213AsJisX0208(std::string_view text) {
    constexpr std::string_view plane1[] = {"\x1B$(Q", "\x1B$(O"};
    constexpr std::string_view plane2 = "\x1B$(P";
    const auto absent = [text](std::string_view escape) {
        return text.find(escape) == std::string_view::npos;
    };
    if (absent(plane1[0]) && absent(plane1[1]) && absent(plane2))
        return std::nullopt;
    const auto isPairByte = [](unsigned char b) { return b >= 0x21 && b <= 0x7E; };

    enum class Set { Other, Plane1, Plane2 };
    Set set = Set::Other;
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::string_view rest = text.substr(i);
        const unsigned char b = byteAt(text, i);
        if (b == 0x1B) {
            set = Set::Other;
            if (rest.starts_with(plane1[0]) || rest.starts_with(plane1[1]))
                set = Set::Plane1;
            else if (rest.starts_with(plane2))
                set = Set::Plane2;
            if (set != Set::Other) {
                out += "\x1B$B";
                i += 4;
                continue;
            }
        } else if (b == '\r' || b == '\n') {
            set = Set::Other;
        } else if (set != Set::Other && rest.size() >= 2 && isPairByte(b) &&
                   isPairByte(byteAt(text, i + 1))) {
            const bool keep =
                set == Set::Plane1 && isJisX0208Cell(b - 0x20, byteAt(text, i + 1) - 0x20);
            out += keep ? rest.substr(0, 2) : std::string_view("\x22\x2F");
            i += 2;
            continue;
        }
        out += static_cast<char>(b);
        ++i;
    }
    return out;
}

} // namespace input

// Which encoding a text's bytes are in, from byte rules alone, and the byte work every platform's
// conversion shares. Only the EUC-JP-versus-code-page-932 statistics come from the platform file.

#include "input/encoding.h"
#include "input/encoding_shared.h"

#include "engine/sjis.h"
#include "engine/utf8.h"

#include <cstdint>
#include <cstring>
#include <iterator>

namespace input {

// Defined by the platform's conversion file (encoding_icu.cpp): whether character statistics
// favour EUC-JP over code page 932 for a text that is valid as both.
bool eucJpOutweighsShiftJis(std::string_view sample);

namespace {

using engine::byteAt;

constexpr bool inRange(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

// Bytes before the first one with its high bit set, eight at a time: a Shift_JIS or EUC-JP book
// often opens with a long stretch of ASCII, and every rule below can start after it.
std::size_t asciiPrefixLength(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if (word & 0x8080808080808080u)
            break;
    }
    while (i < text.size() && byteAt(text, i) < 0x80)
        ++i;
    return i;
}

// Escapes that designate a Japanese set: JIS X 0208 (1978 and 1983), JIS X 0212, JIS X 0213
// plane 1, JIS-Roman and half-width katakana. ESC ( B alone only returns to ASCII.
bool hasIso2022JpDesignation(std::string_view text) {
    constexpr std::string_view designations[] = {"$@", "$B", "$(D", "$(Q", "(J", "(I"};
    for (std::size_t pos = text.find('\x1B'); pos != std::string_view::npos;
         pos = text.find('\x1B', pos + 1)) {
        const std::string_view rest = text.substr(pos + 1);
        for (std::string_view designation : designations)
            if (rest.starts_with(designation))
                return true;
    }
    return false;
}

// Well-formed UTF-8 throughout; a sequence cut off by the end of the text fails too.
bool isStrictUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (byteAt(text, i) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = engine::utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

// EUC-JP: ASCII; JIS X 0208 as two bytes A1-FE; half-width katakana as 8E A1-DF; JIS X 0212 as
// 8F and two bytes A1-FE. Any other byte with its high bit set, or a cut-off sequence, fails.
bool isStrictEucJp(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = byteAt(text, i);
        const std::size_t left = text.size() - i;
        if (b < 0x80) {
            i += 1;
        } else if (inRange(b, 0xA1, 0xFE)) {
            if (left < 2 || !inRange(byteAt(text, i + 1), 0xA1, 0xFE))
                return false;
            i += 2;
        } else if (b == 0x8E) {
            if (left < 2 || !inRange(byteAt(text, i + 1), 0xA1, 0xDF))
                return false;
            i += 2;
        } else if (b == 0x8F) {
            if (left < 3 || !inRange(byteAt(text, i + 1), 0xA1, 0xFE) ||
                !inRange(byteAt(text, i + 2), 0xA1, 0xFE))
                return false;
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

// Code page 932 by structure only (which codes are assigned is not asked): a lead byte is followed
// by a trail byte 40-7E or 80-FC, and 80, A0 and FD-FF never stand alone.
bool isStructurallyCodePage932(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = byteAt(text, i);
        if (engine::isLeadByte(b)) {
            if (i + 1 == text.size())
                return false;
            const unsigned char trail = byteAt(text, i + 1);
            if (!inRange(trail, 0x40, 0x7E) && !inRange(trail, 0x80, 0xFC))
                return false;
            i += 2;
        } else if (b == 0x80 || b == 0xA0 || b >= 0xFD) {
            return false;
        } else {
            i += 1;
        }
    }
    return true;
}

// The statistics read every byte they are given (seconds for a 50 MB book), while their verdict
// settles within the first pages. The sample ends at a line break, which is ASCII in both
// encodings, so no character is cut in two.
std::string_view statisticsSample(std::string_view text) {
    constexpr std::size_t kSampleLimit = std::size_t{1} << 20;
    if (text.size() <= kSampleLimit)
        return text;
    const std::size_t lineEnd = text.rfind('\n', kSampleLimit - 1);
    return text.substr(0, lineEnd == std::string_view::npos ? kSampleLimit : lineEnd + 1);
}

// The cells JIS X 0208 assigns (row and cell from 1). JIS X 0213 plane 1 keeps all of them where
// they are and fills the rest.
bool isJisX0208Cell(int row, int cell) {
    const auto cells = [cell](int first, int last) { return cell >= first && cell <= last; };
    switch (row) {
    case 1:
        return true;
    case 2:
        return cells(1, 14) || cells(26, 33) || cells(42, 48) || cells(60, 74) || cells(82, 89) ||
               cell == 94;
    case 3:
        return cells(16, 25) || cells(33, 58) || cells(65, 90);
    case 4:
        return cell <= 83;
    case 5:
        return cell <= 86;
    case 6:
        return cell <= 24 || cells(33, 56);
    case 7:
        return cell <= 33 || cells(49, 81);
    case 8:
        return cell <= 32;
    case 47:
        return cell <= 51;
    case 84:
        return cell <= 6;
    default:
        return (row >= 16 && row <= 46) || (row >= 48 && row <= 83);
    }
}

} // namespace

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

// The rules in order. From the first byte beyond ASCII on, each test starts where the ASCII stretch
// ends (it is valid in all of them); a Shift_JIS text fails the UTF-8 and EUC-JP tests within its
// first few characters, so it pays about one scan in all.
Encoding DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return Encoding::Utf8;
    if (bytes.starts_with("\xFF\xFE"))
        return Encoding::Utf16Le;
    if (bytes.starts_with("\xFE\xFF"))
        return Encoding::Utf16Be;

    const std::size_t ascii = asciiPrefixLength(bytes);
    if (ascii == bytes.size())
        return hasIso2022JpDesignation(bytes) ? Encoding::Iso2022Jp : Encoding::ShiftJis;

    // UTF-8 goes first: Japanese UTF-8 is often structurally valid code page 932 too, while
    // Japanese Shift_JIS is never valid UTF-8 (its hiragana lead byte 82 is a UTF-8 trail byte).
    const std::string_view rest = bytes.substr(ascii);
    if (isStrictUtf8(rest))
        return Encoding::Utf8;
    if (isStrictEucJp(rest)) {
        if (!isStructurallyCodePage932(rest))
            return Encoding::EucJp;
        return eucJpOutweighsShiftJis(statisticsSample(bytes)) ? Encoding::EucJp
                                                               : Encoding::ShiftJis;
    }
    return Encoding::ShiftJis;
}

} // namespace input

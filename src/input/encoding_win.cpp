// Conversion to code page 932 with Windows' own code pages, for the build without ICU: the source
// is decoded to UTF-16 and encoded with code page 932, each character that has no code there
// written as a counted 〓. UTF-8 and UTF-16 are decoded here, EUC-JP and ISO-2022-JP are taken
// apart here too (Wine has no code page for ISO-2022-JP, and none reads eucJP-ms), their JIS X
// 0208 pairs read through code page 932 and their JIS X 0212 characters through code page 20932.
// encoding_icu.cpp does the same with ICU; where ICU's tables and rules differ from Windows', they
// are followed here, so that both builds write the same bytes and count the same 〓.

#include "input/encoding.h"
#include "input/encoding_shared.h"

#include "engine/sjis.h"
#include "engine/utf8.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

namespace input {

namespace {

using engine::byteAt;

constexpr UINT kCodePage932 = 932;
constexpr UINT kEucJpCodePage = 20932; // JIS X 0212 as a lead byte and a 7-bit trail byte
constexpr UINT kGb2312CodePage = 936;
constexpr UINT kKsc5601CodePage = 949;
constexpr UINT kLatin1CodePage = 28591;
constexpr UINT kGreekCodePage = 28597;

using engine::kGeta;
// The default character Windows writes for one it has no code for, a C string: the literal behind
// kGeta ends in a NUL.
const char* const kGetaDefault = kGeta.data();
constexpr wchar_t kReplacement = 0xFFFD;

constexpr bool inRange(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

constexpr bool isHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool isLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
constexpr bool isSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Code points Windows' table writes as the bytes 80, A0 and FD-FF, which are no characters of
// code page 932 as the other readers (and ICU's table) have it.
constexpr bool isWindowsOnlyCode(wchar_t c) {
    return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3);
}

// One character of a code page as UTF-16; 0 when the code page has none for it. A private-use
// code point is a user-defined character, which no other reader shares, so it counts as none.
wchar_t decodeCharacter(UINT codePage, std::string_view bytes) {
    wchar_t wide[2];
    const int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                         static_cast<int>(bytes.size()), wide, 2);
    if (size != 1 || (wide[0] >= 0xE000 && wide[0] <= 0xF8FF))
        return 0;
    return wide[0];
}

// A JIS X 0208 pair (two bytes 21-7E) as code page 932 bytes, by the Shift_JIS arithmetic.
void appendShiftJisOfJisPair(std::string& out, unsigned char j1, unsigned char j2) {
    const int s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    const int s2 = j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E);
    out += static_cast<char>(s1);
    out += static_cast<char>(s2);
}

// Takes UTF-16 from a decoder and writes code page 932 to `out`, a block at a time so that
// memory beyond the result stays fixed. Code page 932 bytes that a decoder already has (the JIS
// X 0208 pairs of EUC-JP and ISO-2022-JP) go through UTF-16 too, so that a character code page
// 932 holds twice comes out in the code Microsoft's table gives, and an unassigned code as 〓.
class CodePage932Writer {
  public:
    CodePage932Writer(std::string& out, std::size_t& replaced) : m_out(out), m_replaced(replaced) {
        m_units.reserve(kBlock + 2);
    }

    void add(wchar_t unit) {
        flushShiftJis();
        m_units.push_back(unit);
        if (m_units.size() >= kBlock)
            flushUnits(false);
    }

    void addCodePoint(char32_t c) {
        if (c < 0x10000) {
            add(static_cast<wchar_t>(c));
        } else {
            c -= 0x10000;
            add(static_cast<wchar_t>(0xD800 + (c >> 10)));
            add(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
        }
    }

    // Code page 932 bytes, whole characters only.
    void addShiftJis(std::string_view bytes) {
        if (!m_units.empty())
            flushUnits(true);
        m_shiftJis.append(bytes);
        if (m_shiftJis.size() >= kBlock)
            flushShiftJis();
    }

    void finish() {
        flushShiftJis();
        flushUnits(true);
    }

  private:
    static constexpr std::size_t kBlock = 16 * 1024;

    void flushShiftJis() {
        if (m_shiftJis.empty())
            return;
        std::wstring wide(m_shiftJis.size(), L'\0');
        const int size = MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, m_shiftJis.data(),
                                             static_cast<int>(m_shiftJis.size()), wide.data(),
                                             static_cast<int>(wide.size()));
        if (size > 0) {
            m_units.append(wide.data(), static_cast<std::size_t>(size));
        } else {
            // An unassigned code somewhere in the block: character by character.
            for (std::size_t i = 0; i < m_shiftJis.size();) {
                const std::size_t length = engine::charLengthAt(m_shiftJis, i);
                const unsigned char b = byteAt(m_shiftJis, i);
                const wchar_t c =
                    b < 0x80 ? b : decodeCharacter(kCodePage932, m_shiftJis.substr(i, length));
                m_units.push_back(c || b == 0 ? c : kReplacement);
                i += length;
            }
        }
        m_shiftJis.clear();
        flushUnits(false);
    }

    // Writes the units collected; a high surrogate at the end waits for its partner unless this
    // is the last block.
    void flushUnits(bool last) {
        std::size_t end = m_units.size();
        if (!last && end > 0 && isHighSurrogate(m_units[end - 1]))
            --end;
        const std::wstring_view units(m_units.data(), end);
        std::size_t i = 0;
        while (i < units.size()) {
            std::size_t j = i;
            while (j < units.size() && !isSurrogate(units[j]) &&
                   !jisVariantBytes(static_cast<char32_t>(units[j])) &&
                   !isWindowsOnlyCode(units[j]))
                ++j;
            encodeRun(units.substr(i, j - i));
            if (j == units.size())
                break;
            const wchar_t c = units[j];
            if (const auto variant = jisVariantBytes(static_cast<char32_t>(c))) {
                m_out += *variant;
                i = j + 1;
            } else if (isWindowsOnlyCode(c)) {
                geta();
                i = j + 1;
            } else {
                // Code page 932 has nothing beyond the BMP: a pair is one character, one 〓; a
                // lone surrogate is one too.
                geta();
                i = j + (isHighSurrogate(c) && j + 1 < units.size() && isLowSurrogate(units[j + 1])
                             ? 2
                             : 1);
            }
        }
        m_units.erase(0, end);
    }

    // Units without surrogates or JIS variants.
    void encodeRun(std::wstring_view run) {
        if (run.empty())
            return;
        const std::size_t start = m_out.size();
        m_out.resize(start + run.size() * 2);
        BOOL usedDefault = FALSE;
        const int size = WideCharToMultiByte(
            kCodePage932, WC_NO_BEST_FIT_CHARS, run.data(), static_cast<int>(run.size()),
            m_out.data() + start, static_cast<int>(run.size() * 2), kGetaDefault, &usedDefault);
        m_out.resize(start + static_cast<std::size_t>(std::max(size, 0)));
        if (size > 0 && !usedDefault)
            return;
        // Some character had no code: the run again, one character at a time, to count them.
        m_out.resize(start);
        for (const wchar_t c : run) {
            char bytes[2];
            BOOL used = FALSE;
            const int length = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, &c, 1, bytes,
                                                   2, kGetaDefault, &used);
            if (length <= 0 || used)
                geta();
            else
                m_out.append(bytes, static_cast<std::size_t>(length));
        }
    }

    void geta() {
        m_out += kGeta;
        ++m_replaced;
    }

    std::string& m_out;
    std::size_t& m_replaced;
    std::wstring m_units;
    std::string m_shiftJis;
};

// UTF-8 by hand: an ill-formed sequence is replaced by one U+FFFD for its longest valid start
// (the "maximal subpart" rule that ICU and the Unicode standard follow), so an overlong form or
// a surrogate gives one U+FFFD per byte and a sequence cut off by the end of the text gives one.
void decodeUtf8(std::string_view text, CodePage932Writer& writer) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = byteAt(text, i);
        if (b < 0x80) {
            writer.add(b);
            ++i;
            continue;
        }
        const engine::Utf8Fit fit = engine::utf8FitAt(text, i);
        if (fit.fitting < fit.length || fit.length == 0) {
            writer.add(kReplacement);
            i += std::max<std::size_t>(fit.fitting, 1);
            continue;
        }
        // The lead byte keeps 5, 4 or 3 bits by the length, each trail byte 6.
        char32_t c = b & (0x7F >> fit.length);
        for (std::size_t k = 1; k < fit.length; ++k)
            c = (c << 6) | (byteAt(text, i + k) & 0x3F);
        writer.addCodePoint(c);
        i += fit.length;
    }
}

// UTF-16 by hand; surrogates are paired (or not) by the writer. An odd byte at the end cannot
// form a unit and is one U+FFFD, or part of the one that a high surrogate before it already is.
void decodeUtf16(std::string_view text, bool bigEndian, CodePage932Writer& writer) {
    std::size_t i = 0;
    wchar_t unit = 0;
    for (; i + 1 < text.size(); i += 2) {
        const unsigned first = byteAt(text, i);
        const unsigned second = byteAt(text, i + 1);
        unit = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
        writer.add(unit);
    }
    if (i < text.size() && !isHighSurrogate(unit))
        writer.add(kReplacement);
}

// The head of JIS X 0212 row 83, where EUC-JP as ICU reads it (IBM's table) holds IBM's roman
// numerals and ㈱, from 8F F3 A1 on; 0 for a cell it leaves empty.
constexpr wchar_t kIbmRow83Head[] = {
    0x2170, 0x2171, 0x2172, 0x2173, 0x2174, 0x2175, 0x2176, 0x2177, 0x2178, 0x2179, // ⅰ-ⅹ
    0x2160, 0x2161, 0x2162, 0x2163, 0x2164, 0x2165, 0x2166, 0x2167, 0x2168, 0x2169, // Ⅰ-Ⅹ
    0,      0,      0x3231,                                                         // ㈱
};

// A JIS X 0212 character given as its EUC-JP bytes 8F b1 b2, read as the Linux build reads it:
// in EUC-JP, IBM's characters at the head of row 83, eucJP-ms's IBM extensions (neither of which
// ISO-2022-JP has) and the TILDE of 22 37 as the full-width tilde of Microsoft's tables; then the
// system's table, where code page 20932 writes JIS X 0212 as the lead byte and the trail byte
// without its high bit.
void addJisX0212(unsigned char b1, unsigned char b2, bool eucJp, CodePage932Writer& writer) {
    if (eucJp) {
        const std::size_t head = static_cast<std::size_t>(b2 - 0xA1);
        if (b1 == 0xF3 && head < std::size(kIbmRow83Head)) {
            writer.add(kIbmRow83Head[head] ? kIbmRow83Head[head] : kReplacement);
            return;
        }
        const char sequence[] = {'\x8F', static_cast<char>(b1), static_cast<char>(b2)};
        if (const char16_t extension = eucJpMsIbmExtension(std::string_view(sequence, 3))) {
            writer.add(static_cast<wchar_t>(extension));
            return;
        }
        if (b1 == 0xA2 && b2 == 0xB7) {
            writer.add(0xFF5E); // ～
            return;
        }
    }
    const char quirk[] = {static_cast<char>(b1), static_cast<char>(b2 & 0x7F)};
    const wchar_t c = decodeCharacter(kEucJpCodePage, std::string_view(quirk, 2));
    writer.add(c ? c : kReplacement);
}

// EUC-JP: JIS X 0208 as two bytes A1-FE, half-width katakana as 8E A1-DF, JIS X 0212 as 8F and
// two bytes A1-FE. Rows 89-92 (lead bytes F9-FC) hold NEC's selection of IBM's extensions, as in
// code page 932 (ED-EE); the other rows from 85 on are user-defined and read as nothing. As in
// IBM's table, which ICU reads, 8E E0-E2 are ¢ £ ¬ and 8E E3-E4 pairs without a character.
//
// A broken sequence is one U+FFFD, cut as ICU cuts it, so that both builds count alike: the byte
// that breaks it belongs to it unless that byte can start a character itself; and when the
// second byte can start a character, the sequence is its first byte alone and decoding goes on
// from the second. A sequence cut off by the end of the text is one U+FFFD. Every byte but A0 and
// FF can start one: 80-9F stand for the C1 controls, which code page 932 lacks.
void decodeEucJp(std::string_view text, CodePage932Writer& writer) {
    const auto canStart = [](unsigned char b) { return b != 0xA0 && b != 0xFF; };
    std::string shiftJis;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = byteAt(text, i);
        shiftJis.clear();
        if (b < 0x80) {
            shiftJis += static_cast<char>(b);
            writer.addShiftJis(shiftJis);
            ++i;
            continue;
        }
        if (!canStart(b) || (b < 0xA0 && b != 0x8E && b != 0x8F)) {
            writer.add(kReplacement);
            ++i;
            continue;
        }
        const std::size_t length = b == 0x8F ? 3 : 2;
        std::size_t valid = 1;
        while (valid < length && i + valid < text.size() &&
               inRange(byteAt(text, i + valid), 0xA1, b == 0x8E ? 0xE4 : 0xFE))
            ++valid;
        if (valid < length) {
            std::size_t taken = valid;
            if (i + valid < text.size()) {
                if (!canStart(byteAt(text, i + valid)))
                    ++taken;
                if (taken > 1 && canStart(byteAt(text, i + 1)))
                    taken = 1;
            }
            writer.add(kReplacement);
            i += taken;
            continue;
        }
        const unsigned char b2 = byteAt(text, i + 1);
        if (b == 0x8E && b2 <= 0xDF) {
            shiftJis += static_cast<char>(b2);
            writer.addShiftJis(shiftJis);
        } else if (b == 0x8E) {
            constexpr wchar_t ibmSigns[] = {0x00A2, 0x00A3, 0x00AC}; // ¢ £ ¬
            writer.add(b2 <= 0xE2 ? ibmSigns[b2 - 0xE0] : kReplacement);
        } else if (b == 0x8F) {
            addJisX0212(b2, byteAt(text, i + 2), true, writer);
        } else if (b >= 0xF5 && (b < 0xF9 || b > 0xFC)) {
            writer.add(kReplacement);
        } else {
            appendShiftJisOfJisPair(shiftJis, b & 0x7F, b2 & 0x7F);
            writer.addShiftJis(shiftJis);
        }
        i += length;
    }
}

// ISO-2022-JP with the sets of ISO-2022-JP-2 that ICU also reads: ASCII and JIS-Roman (whose ¥
// and ‾ are 5C and 7E in code page 932 anyway), JIS X 0208 of 1978, 1983 and 1990, JIS X 0212,
// half-width katakana, GB 2312 and KS C 5601, and ISO-8859-1 and -7 through the single shift
// ESC N.
//
// What cannot be read is one U+FFFD, cut as ICU cuts it, so that both builds count alike: a
// byte with its high bit set, SO or SI; an escape of a set ISO-2022-JP does not take, whole; an
// escape of no set, the ESC alone; in a two-byte set, a pair with a byte outside 21-7E (only its
// first byte when the second could start something); and whatever the end of the text cuts off.
// A line break returns to ASCII and forgets the single-shift set.
void decodeIso2022Jp(std::string_view text, CodePage932Writer& writer) {
    enum class Set { Ascii, JisX0208, JisX0212, HalfWidthKana, Gb2312, Ksc5601 };
    enum class Action { Designate, SingleShiftSet, Refuse };
    struct Escape {
        std::string_view bytes; // after ESC
        Action action;
        Set set = Set::Ascii;
        UINT codePage = 0; // of a single-shift set
    };
    constexpr Escape escapes[] = {
        {"(B", Action::Designate, Set::Ascii},
        {"(J", Action::Designate, Set::Ascii},
        {"(H", Action::Designate, Set::Ascii}, // JIS-Roman under an old final byte
        {"(I", Action::Designate, Set::HalfWidthKana},
        {"$@", Action::Designate, Set::JisX0208},
        {"$B", Action::Designate, Set::JisX0208},
        {"$A", Action::Designate, Set::Gb2312},
        {"$(C", Action::Designate, Set::Ksc5601},
        {"$(D", Action::Designate, Set::JisX0212},
        {".A", Action::SingleShiftSet, Set::Ascii, kLatin1CodePage},
        {".F", Action::SingleShiftSet, Set::Ascii, kGreekCodePage},
        {"&@", Action::Designate, Set::JisX0208}, // the 1990 announcer, taken as JIS X 0208
        // Sets of the other ISO-2022 encodings (Chinese, Korean, Latin).
        {"O", Action::Refuse},
        {"(@", Action::Refuse},
        {"(A", Action::Refuse},
        {"(C", Action::Refuse},
        {"(D", Action::Refuse},
        {"(E", Action::Refuse},
        {"(F", Action::Refuse},
        {"(G", Action::Refuse},
        {"(K", Action::Refuse},
        {"(R", Action::Refuse},
        {"$(@", Action::Refuse},
        {"$(A", Action::Refuse},
        {"$(B", Action::Refuse},
        {"$(E", Action::Refuse},
        {"$(G", Action::Refuse},
        {"$(H", Action::Refuse},
        {"$(I", Action::Refuse},
        {"$(J", Action::Refuse},
        {"$(K", Action::Refuse},
        {"$(L", Action::Refuse},
        {"$(M", Action::Refuse},
        {"$)A", Action::Refuse},
        {"$)C", Action::Refuse},
        {"$)E", Action::Refuse},
        {"$)G", Action::Refuse},
    };
    constexpr unsigned char kEsc = 0x1B;
    constexpr unsigned char kShiftOut = 0x0E;
    constexpr unsigned char kShiftIn = 0x0F;
    const auto isPairByte = [](unsigned char b) { return inRange(b, 0x21, 0x7E); };

    Set set = Set::Ascii;
    UINT singleShiftSet = 0; // the code page of G2, once designated
    bool shifted = false;    // ESC N: the next character is from G2
    std::string shiftJis;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = byteAt(text, i);
        shiftJis.clear();
        if (b == kEsc) {
            const std::string_view rest = text.substr(i + 1);
            if (singleShiftSet && rest.starts_with("N")) {
                shifted = true;
                i += 2;
                continue;
            }
            const auto escape =
                std::find_if(std::begin(escapes), std::end(escapes),
                             [rest](const Escape& e) { return rest.starts_with(e.bytes); });
            if (escape == std::end(escapes)) {
                const bool cutOff =
                    std::any_of(std::begin(escapes), std::end(escapes),
                                [rest](const Escape& e) { return e.bytes.starts_with(rest); });
                writer.add(kReplacement);
                i = cutOff ? text.size() : i + 1;
                continue;
            }
            if (escape->action == Action::Designate)
                set = escape->set;
            else if (escape->action == Action::SingleShiftSet)
                singleShiftSet = escape->codePage;
            else if (escape->action == Action::Refuse)
                writer.add(kReplacement);
            i += 1 + escape->bytes.size();
            continue;
        }
        if (b == kShiftOut || b == kShiftIn || b >= 0x80) {
            writer.add(kReplacement);
            ++i;
            continue;
        }
        if (b == '\r' || b == '\n') {
            set = Set::Ascii;
            singleShiftSet = 0;
            shifted = false;
            writer.add(b);
            ++i;
            continue;
        }
        if (shifted) {
            shifted = false;
            const char high = static_cast<char>(b | 0x80);
            const wchar_t c = decodeCharacter(singleShiftSet, std::string_view(&high, 1));
            writer.add(c ? c : kReplacement);
            ++i;
            continue;
        }
        switch (set) {
        case Set::Ascii:
            writer.add(b);
            ++i;
            continue;
        case Set::HalfWidthKana:
            if (inRange(b, 0x21, 0x5F)) {
                shiftJis += static_cast<char>(b | 0x80);
                writer.addShiftJis(shiftJis);
            } else {
                writer.add(kReplacement);
            }
            ++i;
            continue;
        default:
            break;
        }
        if (i + 1 >= text.size()) {
            writer.add(kReplacement);
            ++i;
            continue;
        }
        const unsigned char b2 = byteAt(text, i + 1);
        if (!isPairByte(b) || !isPairByte(b2)) {
            const bool secondMayStart =
                isPairByte(b2) || b2 == kEsc || b2 == kShiftOut || b2 == kShiftIn;
            writer.add(kReplacement);
            i += secondMayStart ? 1 : 2;
            continue;
        }
        if (set == Set::JisX0208) {
            // Rows 85-88 and 93-94 are user-defined; 89-92 hold NEC's selection of IBM's
            // extensions, as in code page 932 (ED-EE).
            if (b >= 0x75 && (b < 0x79 || b > 0x7C)) {
                writer.add(kReplacement);
            } else {
                appendShiftJisOfJisPair(shiftJis, b, b2);
                writer.addShiftJis(shiftJis);
            }
        } else if (set == Set::JisX0212) {
            addJisX0212(b | 0x80, b2 | 0x80, false, writer);
        } else {
            // GB 2312 and KS C 5601 in their EUC form, which the two code pages read.
            const char pair[] = {static_cast<char>(b | 0x80), static_cast<char>(b2 | 0x80)};
            const wchar_t c =
                decodeCharacter(set == Set::Gb2312 ? kGb2312CodePage : kKsc5601CodePage, {pair, 2});
            writer.add(c ? c : kReplacement);
        }
        i += 2;
    }
}

} // namespace

// The statistics ICU's detector keeps are not at hand here, so a simpler one decides: Japanese
// prose in EUC-JP is full of kana, whose rows 4 (hiragana) and 5 (katakana) start with A4 and A5,
// while the same bytes as Shift_JIS are kanji and half-width katakana. Only a clear verdict moves
// a text off code page 932, where it has always been read: more than ten two-byte characters (as
// ICU asks too), over a third of them kana.
bool eucJpOutweighsShiftJis(std::string_view sample) {
    std::size_t twoByte = 0;
    std::size_t kana = 0;
    for (std::size_t i = 0; i < sample.size();) {
        const unsigned char b = byteAt(sample, i);
        if (b < 0x80) {
            ++i;
        } else if (b == 0x8F) {
            ++twoByte;
            i += 3;
        } else {
            ++twoByte;
            if (b == 0xA4 || b == 0xA5)
                ++kana;
            i += 2;
        }
    }
    return twoByte > 10 && kana * 3 > twoByte;
}

Decoded ToCodePage932(std::string_view bytes, Encoding choice) {
    Decoded result;
    const Encoding encoding = choice == Encoding::Auto ? DetectEncoding(bytes) : choice;
    if (encoding == Encoding::ShiftJis || encoding == Encoding::Auto)
        return result; // code page 932 already: the caller keeps its bytes

    std::string_view text = bytes.substr(byteOrderMarkLength(bytes, encoding));
    // Japanese UTF-8 shrinks by a third and UTF-16 and EUC-JP stay about the same.
    result.bytes.reserve(text.size());
    CodePage932Writer writer(result.bytes, result.replaced);
    switch (encoding) {
    case Encoding::Utf8:
        decodeUtf8(text, writer);
        break;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
        decodeUtf16(text, encoding == Encoding::Utf16Be, writer);
        break;
    case Encoding::EucJp:
        decodeEucJp(text, writer);
        break;
    case Encoding::Iso2022Jp: {
        const std::optional<std::string> rewritten = jisX0213AsJisX0208(text);
        decodeIso2022Jp(rewritten ? std::string_view(*rewritten) : text, writer);
        break;
    }
    default:
        break;
    }
    writer.finish();
    result.converted = true;
    return result;
}

} // namespace input

// Conversion to code page 932, the same on every system: each decoder reads its encoding into code
// points through the tables of decoder_tables.cpp, and one encoder writes them as code page 932
// with Microsoft's table. What cannot be read is one U+FFFD, which the encoder writes as a counted
// 〓 like any character code page 932 lacks. Where a broken sequence ends (how many 〓 a damaged
// text costs) follows the maximal-subpart rule of the Unicode standard for UTF-8 and, for EUC-JP
// and ISO-2022-JP, the cuts ICU's converters make, which the program followed when it converted
// with ICU.

#include "input/decoder_tables.h"
#include "input/encoding.h"
#include "input/encoding_shared.h"
#include "input/readable_forms.h"

#include "engine/sjis.h"
#include "engine/utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>

namespace input {

namespace {

using engine::byteAt;
using engine::kGeta;

constexpr char32_t kReplacement = 0xFFFD;

constexpr bool inRange(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

// Code page 932 for every BMP code point: a two-byte code (lead << 8 | trail), a single byte
// beyond ASCII (the half-width katakana), or 0 for none. Built once from the two-byte table: the
// first code of a character is the one Microsoft's table writes (JIS X 0208 row 2 before NEC row
// 13, NEC row 13 before the IBM extensions), except that the IBM extensions (FA-FC) win over
// NEC's selection of them (ED-EE).
using ReverseTable = std::array<std::uint16_t, 0x10000>;

std::unique_ptr<ReverseTable> buildReverseTable() {
    auto table = std::make_unique<ReverseTable>();
    table->fill(0);
    for (const bool necSelection : {false, true}) {
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead == 0xA0)
                lead = 0xE0;
            if ((lead == 0xED || lead == 0xEE) != necSelection)
                continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                const char16_t c = tables::codePage932Pair(static_cast<unsigned char>(lead),
                                                           static_cast<unsigned char>(trail));
                if (c != 0 && (*table)[c] == 0)
                    (*table)[c] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
    }
    for (unsigned kana = 0xA1; kana <= 0xDF; ++kana)
        (*table)[0xFF61 + kana - 0xA1] = static_cast<std::uint16_t>(kana);
    return table;
}

const ReverseTable& reverseTable() {
    static const std::unique_ptr<ReverseTable> table = buildReverseTable();
    return *table;
}

// Writes code points as code page 932: one it has no code for as its readable form (ヷ as ワ゛),
// else as a counted 〓. Control codes and ASCII pass as they are (0x1A included). The result is
// appended to room reserved ahead (two bytes a character), so its pages are written once rather
// than first filled with zeros.
class CodePage932Encoder {
  public:
    CodePage932Encoder(std::string& out, std::size_t& replaced, std::vector<std::string>& lost,
                       std::size_t expected)
        : m_out(out), m_replaced(replaced), m_lost(lost), m_table(reverseTable()) {
        m_out.clear();
        m_out.reserve(expected + 2);
    }

    void ascii(std::string_view run) { m_out.append(run); }

    void put(char32_t c) {
        if (c < 0x80) {
            m_out.push_back(static_cast<char>(c));
            return;
        }
        const std::uint16_t code = c < 0x10000 ? m_table[c] : 0;
        if (code > 0xFF) {
            if (c == kGetaCharacter)
                noteGeta(c);
            const char pair[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
            m_out.append(pair, 2);
        } else if (code != 0) {
            m_out.push_back(static_cast<char>(code));
        } else if (const auto variant = jisVariantBytes(c)) {
            m_out.append(*variant);
        } else if (const std::string_view form = readableForm(c); !form.empty()) {
            m_out.append(form);
        } else {
            noteGeta(c == kReplacement ? kGetaCharacter : c);
            m_out.append(kGeta);
            ++m_replaced;
        }
    }

  private:
    static constexpr char32_t kGetaCharacter = 0x3013;

    // What a 〓 near the start stands for, for the names made from a text's head lines.
    void noteGeta(char32_t c) {
        if (m_out.size() < kLostKeptBytes)
            m_lost.push_back(engine::Utf8Of(c));
    }

    std::string& m_out;
    std::size_t& m_replaced;
    std::vector<std::string>& m_lost;
    const ReverseTable& m_table;
};

// Bytes before the first one with its high bit set.
std::size_t asciiRunLength(std::string_view text, std::size_t from) {
    std::size_t i = from;
    while (i < text.size() && byteAt(text, i) < 0x80)
        ++i;
    return i - from;
}

// An ill-formed sequence is one U+FFFD for its longest valid start (the maximal subpart), so an
// overlong form or a surrogate gives one per byte and a sequence cut off by the end one in all.
void decodeUtf8(std::string_view text, CodePage932Encoder& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (byteAt(text, i) < 0x80) {
            const std::size_t run = asciiRunLength(text, i);
            out.ascii(text.substr(i, run));
            i += run;
            continue;
        }
        // Most of a Japanese text: three bytes whose trail bytes may be any of 80-BF.
        const unsigned char lead = byteAt(text, i);
        if (lead >= 0xE1 && lead != 0xED && lead <= 0xEF && i + 2 < text.size()) {
            const unsigned char second = byteAt(text, i + 1);
            const unsigned char third = byteAt(text, i + 2);
            if ((second & 0xC0) == 0x80 && (third & 0xC0) == 0x80) {
                out.put(static_cast<char32_t>((lead & 0x0F) << 12 | (second & 0x3F) << 6 |
                                              (third & 0x3F)));
                i += 3;
                continue;
            }
        }
        const engine::Utf8Fit fit = engine::utf8FitAt(text, i);
        if (fit.fitting < fit.length || fit.length == 0) {
            out.put(kReplacement);
            i += std::max<std::size_t>(fit.fitting, 1);
            continue;
        }
        // The lead byte keeps 5, 4 or 3 bits by the length, each trail byte 6.
        char32_t c = byteAt(text, i) & (0x7F >> fit.length);
        for (std::size_t k = 1; k < fit.length; ++k)
            c = (c << 6) | (byteAt(text, i + k) & 0x3F);
        out.put(c);
        i += fit.length;
    }
}

constexpr bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A pair of surrogates is one character (beyond the BMP, so one 〓); a lone surrogate is one
// U+FFFD. An odd byte at the end cannot form a unit and is one U+FFFD, or part of the one that a
// high surrogate just before it already is.
void decodeUtf16(std::string_view text, bool bigEndian, CodePage932Encoder& out) {
    const auto unitAt = [&](std::size_t i) -> char32_t {
        const unsigned first = byteAt(text, i);
        const unsigned second = byteAt(text, i + 1);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    std::size_t i = 0;
    for (; i + 1 < text.size(); i += 2) {
        const char32_t unit = unitAt(i);
        if (isHighSurrogate(unit)) {
            if (i + 3 < text.size() && isLowSurrogate(unitAt(i + 2))) {
                out.put(0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00));
                i += 2;
            } else {
                out.put(kReplacement);
                if (i + 3 >= text.size()) {
                    i = text.size(); // an odd byte after it belongs to it
                    break;
                }
            }
        } else if (isLowSurrogate(unit)) {
            out.put(kReplacement);
        } else {
            out.put(unit);
        }
    }
    if (i < text.size())
        out.put(kReplacement);
}

// A JIS X 0208 pair (two bytes 21-7E) through code page 932, which holds JIS X 0208 at the
// Shift_JIS arithmetic's codes. Rows 85-88 and 93-94 are user-defined and read as nothing; 89-92
// hold NEC's selection of IBM's extensions (ED-EE), which the encoder writes as IBM's codes.
char32_t jisX0208(unsigned char j1, unsigned char j2) {
    if (j1 >= 0x75 && (j1 < 0x79 || j1 > 0x7C))
        return kReplacement;
    const unsigned lead = ((j1 + 1u) >> 1) + (j1 <= 0x5E ? 0x70u : 0xB0u);
    const unsigned trail = j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20u : 0x1Fu) : 0x7Eu);
    const char16_t c = tables::codePage932Pair(static_cast<unsigned char>(lead),
                                               static_cast<unsigned char>(trail));
    return c ? c : kReplacement;
}

// The head of JIS X 0212 row 83, where EUC-JP as ICU reads it (IBM's table) holds IBM's roman
// numerals and ㈱, from 8F F3 A1 on; 0 for a cell it leaves empty.
constexpr char16_t kIbmRow83Head[] = {
    0x2170, 0x2171, 0x2172, 0x2173, 0x2174, 0x2175, 0x2176, 0x2177, 0x2178, 0x2179, // ⅰ-ⅹ
    0x2160, 0x2161, 0x2162, 0x2163, 0x2164, 0x2165, 0x2166, 0x2167, 0x2168, 0x2169, // Ⅰ-Ⅹ
    0,      0,      0x3231,                                                         // ㈱
};

// A JIS X 0212 character given as its EUC-JP bytes 8F b1 b2 (b1, b2 A1-FE). EUC-JP also holds
// IBM's characters at the head of row 83 and eucJP-ms's IBM extensions (neither of which
// ISO-2022-JP has), and reads the TILDE of 22 37 as the full-width tilde of Microsoft's tables.
char32_t jisX0212(unsigned char b1, unsigned char b2, bool eucJp) {
    if (eucJp) {
        const std::size_t head = static_cast<std::size_t>(b2 - 0xA1);
        if (b1 == 0xF3 && head < std::size(kIbmRow83Head))
            return kIbmRow83Head[head] ? kIbmRow83Head[head] : kReplacement;
        const char sequence[] = {'\x8F', static_cast<char>(b1), static_cast<char>(b2)};
        if (const char16_t extension = eucJpMsIbmExtension(std::string_view(sequence, 3)))
            return extension;
        if (b1 == 0xA2 && b2 == 0xB7)
            return 0xFF5E; // ～
    }
    const char16_t c = tables::kJisX0212[tables::cellIndex(b1, b2)];
    return c ? c : kReplacement;
}

// EUC-JP: JIS X 0208 as two bytes A1-FE, half-width katakana as 8E A1-DF, JIS X 0212 as 8F and
// two bytes A1-FE. As in IBM's table, which ICU reads, 8E E0-E2 are ¢ £ ¬ and 8E E3-E4 pairs
// without a character.
//
// A broken sequence is one U+FFFD, cut as ICU cuts it: the byte that breaks it belongs to it
// unless that byte can start a character itself; and when the second byte can start a
// character, the sequence is its first byte alone and decoding goes on from the second. A
// sequence cut off by the end of the text is one U+FFFD. Every byte but A0 and FF can start one:
// 80-9F stand for the C1 controls, which code page 932 lacks.
void decodeEucJp(std::string_view text, CodePage932Encoder& out) {
    const auto canStart = [](unsigned char b) { return b != 0xA0 && b != 0xFF; };
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = byteAt(text, i);
        if (b < 0x80) {
            const std::size_t run = asciiRunLength(text, i);
            out.ascii(text.substr(i, run));
            i += run;
            continue;
        }
        if (!canStart(b) || (b < 0xA0 && b != 0x8E && b != 0x8F)) {
            out.put(kReplacement);
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
            out.put(kReplacement);
            i += taken;
            continue;
        }
        const unsigned char b2 = byteAt(text, i + 1);
        if (b == 0x8E && b2 <= 0xDF) {
            out.put(0xFF61 + (b2 - 0xA1u));
        } else if (b == 0x8E) {
            constexpr char32_t ibmSigns[] = {0x00A2, 0x00A3, 0x00AC}; // ¢ £ ¬
            out.put(b2 <= 0xE2 ? ibmSigns[b2 - 0xE0] : kReplacement);
        } else if (b == 0x8F) {
            out.put(jisX0212(b2, byteAt(text, i + 2), true));
        } else {
            out.put(jisX0208(b & 0x7F, b2 & 0x7F));
        }
        i += length;
    }
}

// ISO-2022-JP with the sets of ISO-2022-JP-2 that ICU also reads: ASCII and JIS-Roman (whose ¥
// and ‾ are 5C and 7E in code page 932 anyway), JIS X 0208 of 1978, 1983 and 1990, JIS X 0212,
// half-width katakana, GB 2312 and KS C 5601, and ISO-8859-1 and -7 through the single shift
// ESC N. JIS X 0213 comes here rewritten as JIS X 0208 (jisX0213AsJisX0208).
//
// What cannot be read is one U+FFFD, cut as ICU cuts it: SO or SI; outside a two-byte set, a byte
// with its high bit set; an escape of a set ISO-2022-JP does not take, whole; an escape of no set,
// the ESC alone; in a two-byte set, a pair with a byte outside 21-7E (only its first byte when the
// second could start something); and whatever the end of the text cuts off. A line break returns to ASCII and
// forgets the single-shift set.
void decodeIso2022Jp(std::string_view text, CodePage932Encoder& out) {
    enum class Set { Ascii, JisX0208, JisX0212, HalfWidthKana, Gb2312, Ksc5601 };
    enum class Action { Designate, SingleShiftSet, Refuse };
    enum class Upper { None, Latin1, Greek }; // the single-shift set G2
    struct Escape {
        std::string_view bytes; // after ESC
        Action action;
        Set set = Set::Ascii;
        Upper upper = Upper::None;
    };
    static constexpr Escape escapes[] = {
        {"(B", Action::Designate, Set::Ascii},
        {"(J", Action::Designate, Set::Ascii},
        {"(H", Action::Designate, Set::Ascii}, // JIS-Roman under an old final byte
        {"(I", Action::Designate, Set::HalfWidthKana},
        {"$@", Action::Designate, Set::JisX0208},
        {"$B", Action::Designate, Set::JisX0208},
        {"$A", Action::Designate, Set::Gb2312},
        {"$(C", Action::Designate, Set::Ksc5601},
        {"$(D", Action::Designate, Set::JisX0212},
        {".A", Action::SingleShiftSet, Set::Ascii, Upper::Latin1},
        {".F", Action::SingleShiftSet, Set::Ascii, Upper::Greek},
        {"&@", Action::Designate, Set::JisX0208}, // the 1990 announcer, taken as JIS X 0208
        // Sets of the other ISO-2022 encodings (Chinese, Korean, Latin), and the escapes to
        // other coding systems (UTF-8, ISO 10646).
        {"O", Action::Refuse},
        {"%B", Action::Refuse},
        {"%/@", Action::Refuse},
        {"%/A", Action::Refuse},
        {"%/C", Action::Refuse},
        {"%/D", Action::Refuse},
        {"%/E", Action::Refuse},
        {"%/F", Action::Refuse},
        {"$*H", Action::Refuse},
        {"$+I", Action::Refuse},
        {"$+J", Action::Refuse},
        {"$+K", Action::Refuse},
        {"$+L", Action::Refuse},
        {"$+M", Action::Refuse},
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
    Upper singleShiftSet = Upper::None;
    bool shifted = false; // ESC N: the next character is from G2
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = byteAt(text, i);
        if (b == kEsc) {
            const std::string_view rest = text.substr(i + 1);
            if (singleShiftSet != Upper::None && rest.starts_with("N")) {
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
                out.put(kReplacement);
                i = cutOff ? text.size() : i + 1;
                continue;
            }
            if (escape->action == Action::Designate)
                set = escape->set;
            else if (escape->action == Action::SingleShiftSet)
                singleShiftSet = escape->upper;
            else
                out.put(kReplacement);
            i += 1 + escape->bytes.size();
            continue;
        }
        // A byte with its high bit set is one 〓 of its own, and ends a single shift (SO and SI
        // leave it waiting); in a two-byte set it is the first byte of a broken pair (below).
        const bool twoByteSet = set != Set::Ascii && set != Set::HalfWidthKana;
        if (b == kShiftOut || b == kShiftIn || (b >= 0x80 && (shifted || !twoByteSet))) {
            shifted = shifted && b < 0x80;
            out.put(kReplacement);
            ++i;
            continue;
        }
        if (b == '\r' || b == '\n') {
            set = Set::Ascii;
            singleShiftSet = Upper::None;
            shifted = false;
            out.put(b);
            ++i;
            continue;
        }
        if (shifted) {
            shifted = false;
            char32_t c = kReplacement;
            if (b >= 0x20) {
                if (singleShiftSet == Upper::Latin1)
                    c = b | 0x80u;
                else if (const char16_t greek = tables::kIso8859_7High[b - 0x20u])
                    c = greek;
            }
            out.put(c);
            ++i;
            continue;
        }
        if (set == Set::Ascii) {
            out.put(b);
            ++i;
            continue;
        }
        if (set == Set::HalfWidthKana) {
            out.put(inRange(b, 0x21, 0x5F) ? 0xFF61 + (b - 0x21u) : kReplacement);
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) {
            out.put(kReplacement);
            ++i;
            continue;
        }
        const unsigned char b2 = byteAt(text, i + 1);
        if (!isPairByte(b) || !isPairByte(b2)) {
            const bool secondMayStart =
                isPairByte(b2) || b2 == kEsc || b2 == kShiftOut || b2 == kShiftIn;
            out.put(kReplacement);
            i += secondMayStart ? 1 : 2;
            continue;
        }
        char32_t c = kReplacement;
        if (set == Set::JisX0208) {
            c = jisX0208(b, b2);
        } else if (set == Set::JisX0212) {
            c = jisX0212(b | 0x80, b2 | 0x80, false);
        } else {
            const char16_t* table = set == Set::Gb2312 ? tables::kGb2312 : tables::kKsc5601;
            if (const char16_t found = table[tables::cellIndex(b, b2)])
                c = found;
        }
        out.put(c);
        i += 2;
    }
}

} // namespace

Decoded ToCodePage932(std::string_view bytes, Encoding choice) {
    Decoded result;
    const Encoding encoding = choice == Encoding::Auto ? DetectEncoding(bytes) : choice;
    if (encoding == Encoding::ShiftJis || encoding == Encoding::Auto)
        return result; // code page 932 already: the caller keeps its bytes

    const std::string_view text = bytes.substr(byteOrderMarkLength(bytes, encoding));
    // Japanese UTF-8 shrinks by a third and UTF-16 and EUC-JP stay about the same, so the input's
    // size holds the result but for the rare text of undecodable bytes, which doubles.
    CodePage932Encoder out(result.bytes, result.replaced, result.lost, text.size());
    switch (encoding) {
    case Encoding::Utf8:
        decodeUtf8(text, out);
        break;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
        decodeUtf16(text, encoding == Encoding::Utf16Be, out);
        break;
    case Encoding::EucJp:
        decodeEucJp(text, out);
        break;
    case Encoding::Iso2022Jp: {
        const std::optional<std::string> rewritten = jisX0213AsJisX0208(text);
        decodeIso2022Jp(rewritten ? std::string_view(*rewritten) : text, out);
        break;
    }
    default:
        break;
    }
    result.converted = true;
    return result;
}

} // namespace input

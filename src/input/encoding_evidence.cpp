// Each candidate encoding reads the same stretch of a text, every character it reads is sorted
// into a kind, and the kinds are weighed: Japanese text is mostly kana, kanji and its own
// punctuation, while a text read in the wrong encoding turns into codes without a character,
// bytes that cannot be read, half-width katakana or the letters of other scripts.

#include "input/encoding_evidence.h"
#include "input/encoding.h"
#include "input/jis_x0208.h"
#include "input/jisx0213_table.h"

#include "engine/sjis.h"
#include "engine/utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace input {
namespace {

using engine::byteAt;
using engine::Encoding;

constexpr bool inRange(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

// What one character a reading gives is worth as evidence.
enum class Kind : unsigned char {
    Neutral, // ASCII, line breaks, tabs, symbols, full-width letters and digits
    Hiragana,
    Katakana,    // full width, and the long vowel mark
    Punctuation, // 、。「」・…々 and the like, which Japanese prose is full of
    Kanji1,      // JIS level 1: the common kanji
    Kanji2,      // JIS level 2, and the NEC and IBM extensions
    RareKanji,   // ideographs code page 932 lacks, JIS X 0212
    HalfWidthKana,
    Foreign,    // the letters of other scripts: Latin-1, Greek, Cyrillic, Hebrew, Hangul...
    Unassigned, // a code without a character: an empty cell, user-defined, private use
    Control,    // NUL and the other control codes a text does not hold
    Invalid,    // bytes the encoding cannot read
    Cut,        // a character cut off by the end of the text, as a file cut short may end
    Count,
};

// What kanji count for in a reading with no kana or Japanese punctuation beside them (a title may
// be such): stray bytes read as kanji readily in some encodings.
enum class KanjiAlone {
    Evidence, // UTF-8 and ISO-2022-JP: only well-formed sequences or escapes give kanji
    Neutral,  // code page 932: common kanji count nothing, the others a little against
    Cheap,    // EUC-JP, whose common kanji are pairs of the bytes code page 932 has half-width
              // katakana at, and UTF-16, whose every pair of bytes is some character: they count
              // as much against as two half-width katakana
};

// The evidence one reading gathers.
class Tally {
  public:
    void add(Kind kind) { ++m_counts[static_cast<std::size_t>(kind)]; }

    std::int64_t count(Kind kind) const { return m_counts[static_cast<std::size_t>(kind)]; }

    std::int64_t score(KanjiAlone alone) const {
        const std::int64_t hiragana = count(Kind::Hiragana);
        const std::int64_t katakana = count(Kind::Katakana);
        const std::int64_t punctuation = count(Kind::Punctuation);
        const std::int64_t kanji1 = count(Kind::Kanji1);
        const std::int64_t kanji2 = count(Kind::Kanji2);
        const std::int64_t rare = count(Kind::RareKanji);
        // Level 2 and rarer kanji are few in Japanese text, and many in text read in the wrong
        // encoding.
        std::int64_t kanji = 2 * kanji1 - kanji2 - rare;
        if (hiragana + katakana + punctuation == 0 && alone != KanjiAlone::Evidence)
            kanji = alone == KanjiAlone::Cheap ? -2 * kanji1 - 3 * (kanji2 + rare)
                                               : -2 * (kanji2 + rare);
        // Half-width katakana count against code page 932 less than stray Latin-1 counts against
        // UTF-8: the bytes of one Latin-1 letter are two half-width katakana. Every unreadable
        // byte sequence or control code outweighs a kana or two.
        return 4 * hiragana + 3 * (katakana + punctuation) + kanji - count(Kind::HalfWidthKana) -
               3 * (count(Kind::Foreign) + count(Kind::Unassigned) + count(Kind::Cut)) -
               6 * (count(Kind::Control) + count(Kind::Invalid));
    }

    // Nothing but kana, kanji of code page 932, Japanese punctuation and ASCII.
    bool allJapanese() const {
        for (Kind kind : {Kind::RareKanji, Kind::HalfWidthKana, Kind::Foreign, Kind::Unassigned,
                          Kind::Control, Kind::Invalid, Kind::Cut}) {
            if (count(kind) > 0)
                return false;
        }
        return true;
    }

  private:
    std::array<std::int64_t, static_cast<std::size_t>(Kind::Count)> m_counts{};
};

Kind kindOfAscii(unsigned char b) {
    if (b >= 0x20 && b < 0x7F)
        return Kind::Neutral;
    // TAB, LF, FF, CR, the end-of-file mark and ESC.
    if (b == 0x09 || b == 0x0A || b == 0x0C || b == 0x0D || b == 0x1A || b == 0x1B)
        return Kind::Neutral;
    return Kind::Control;
}

// Row 1 of JIS X 0208: the punctuation of Japanese prose (、。，．・：；？！, the iteration marks,
// 々, ―, ～, … ‥, quotes and brackets) among other symbols; cell 28 is ー.
Kind kindOfRow1(int cell) {
    if (cell == 28)
        return Kind::Katakana;
    if (cell <= 10 || (cell >= 19 && cell <= 23) || cell == 25 || cell == 29 || cell == 33 ||
        (cell >= 36 && cell <= 59))
        return Kind::Punctuation;
    return Kind::Neutral;
}

// A cell of JIS X 0208, with NEC's row 13 (circled numbers, Roman numerals, units), which code
// page 932 and EUC-JP both carry.
Kind kindOfJisCell(int row, int cell) {
    if (row == 13) {
        const bool assigned =
            (cell >= 1 && cell <= 30) || (cell >= 32 && cell <= 54) || (cell >= 63 && cell <= 92);
        return assigned ? Kind::Neutral : Kind::Unassigned;
    }
    if (!isJisX0208Cell(row, cell))
        return Kind::Unassigned;
    switch (row) {
    case 1:
        return kindOfRow1(cell);
    case 4:
        return Kind::Hiragana;
    case 5:
        return Kind::Katakana;
    case 6: // Greek
    case 7: // Cyrillic
        return Kind::Foreign;
    case 2:
    case 3:
    case 8:
        return Kind::Neutral;
    default:
        return row <= 47 ? Kind::Kanji1 : Kind::Kanji2;
    }
}

constexpr bool isTrailByte(unsigned char b) {
    return inRange(b, 0x40, 0x7E) || inRange(b, 0x80, 0xFC);
}

// A two-byte code of code page 932. Leads 81-9F and E0-EA hold JIS X 0208 two rows each (the
// trail's upper part, 9F-FC, is the even row); ED-EE are NEC's selection of the IBM extensions,
// F0-F9 user-defined, FA-FC the IBM extensions themselves; EB, EC and EF hold nothing.
Kind classifyCodePage932(unsigned char lead, unsigned char trail) {
    const unsigned code = static_cast<unsigned>(lead) << 8 | trail;
    if (inRange(lead, 0xF0, 0xF9))
        return Kind::Unassigned;
    if (lead == 0xED || lead == 0xEE)
        return code <= 0xEEEC ? Kind::Kanji2 : (code >= 0xEEEF ? Kind::Neutral : Kind::Unassigned);
    if (lead >= 0xFA)
        return code <= 0xFA5B ? Kind::Neutral : (code <= 0xFC4B ? Kind::Kanji2 : Kind::Unassigned);
    if (lead >= 0xEB)
        return Kind::Unassigned;
    int row = (lead <= 0x9F ? lead - 0x81 : lead - 0xC1) * 2 + 1;
    int cell = 0;
    if (trail >= 0x9F) {
        ++row;
        cell = trail - 0x9E;
    } else {
        cell = trail - 0x3F - (trail >= 0x80 ? 1 : 0);
    }
    return kindOfJisCell(row, cell);
}

// Every file of a shelf is weighed in five readings: the kinds of all two-byte codes are looked
// up, worked out once.
Kind kindOfCodePage932(unsigned char lead, unsigned char trail) {
    static const auto kinds = [] {
        auto table = std::make_unique<std::array<Kind, 0x10000>>();
        for (unsigned code = 0; code < 0x10000; ++code)
            (*table)[code] = classifyCodePage932(static_cast<unsigned char>(code >> 8),
                                                 static_cast<unsigned char>(code & 0xFF));
        return table;
    }();
    return (*kinds)[static_cast<unsigned>(lead) << 8 | trail];
}

// A Unicode character. What code page 932 holds is judged as its code there; of the rest,
// the letters of other scripts below U+0800 are foreign even where JIS has them (Greek,
// Cyrillic), as is everything of scripts Japanese does not use.
Kind classifyCodePoint(char32_t c) {
    if (c < 0x80)
        return kindOfAscii(static_cast<unsigned char>(c));
    if (c < 0x800)
        return Kind::Foreign;
    if (c >= 0x3041 && c <= 0x3096)
        return Kind::Hiragana;
    if ((c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC)
        return Kind::Katakana;
    if (c >= 0xFF61 && c <= 0xFF9F)
        return Kind::HalfWidthKana;
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return Kind::Invalid;
    if ((c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000 || (c & 0xFFFE) == 0xFFFE || c == 0xFFFD)
        return Kind::Unassigned;
    if (c == 0x301C) // WAVE DASH, as the JIS tables decode ～
        return Kind::Punctuation;
    if (const std::uint16_t code = cp932FromCodePoint(c))
        return kindOfCodePage932(static_cast<unsigned char>(code >> 8),
                                 static_cast<unsigned char>(code & 0xFF));
    if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
        (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF))
        return Kind::RareKanji;
    // Punctuation, arrows, shapes and emoji beyond code page 932's own.
    if ((c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x30FF) || c == 0xFEFF ||
        (c >= 0x1F000 && c <= 0x1FAFF))
        return Kind::Neutral;
    return Kind::Foreign;
}

// The characters of the Basic Multilingual Plane looked up, as the codes of code page 932 are.
Kind kindOfCodePoint(char32_t c) {
    static const auto kinds = [] {
        auto table = std::make_unique<std::array<Kind, 0x10000>>();
        for (char32_t code = 0; code < 0x10000; ++code)
            (*table)[code] = classifyCodePoint(code);
        return table;
    }();
    return c < 0x10000 ? (*kinds)[c] : classifyCodePoint(c);
}

// The readers. Each reads all of `text`; `goesOn` says the text was cut from a longer one, so
// that a character the cut splits is no evidence against the encoding.

Tally readCodePage932(std::string_view text, bool goesOn) {
    Tally tally;
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char b = byteAt(text, i);
        if (b < 0x80) {
            tally.add(kindOfAscii(b));
        } else if (inRange(b, 0xA1, 0xDF)) {
            tally.add(Kind::HalfWidthKana);
        } else if (engine::isLeadByte(b)) {
            if (i + 1 == size) {
                if (!goesOn)
                    tally.add(Kind::Cut);
                break;
            }
            const unsigned char trail = byteAt(text, i + 1);
            if (isTrailByte(trail)) {
                tally.add(kindOfCodePage932(b, trail));
                ++i;
            } else {
                tally.add(Kind::Invalid);
            }
        } else {
            tally.add(Kind::Invalid); // 80, A0, FD-FF
        }
        ++i;
    }
    return tally;
}

// EUC-JP as eucJP-ms writes it: JIS X 0208 (with NEC's row 13, and user-defined rows 85-94) as
// two bytes A1-FE, half-width katakana as 8E A1-DF, JIS X 0212 as 8F and two bytes A1-FE.
Tally readEucJp(std::string_view text, bool goesOn) {
    Tally tally;
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char b = byteAt(text, i);
        if (b < 0x80) {
            tally.add(kindOfAscii(b));
            ++i;
            continue;
        }
        const std::size_t length = b == 0x8F ? 3 : 2;
        const bool opens = b == 0x8E || b == 0x8F || inRange(b, 0xA1, 0xFE);
        if (opens && i + length > size) {
            // Cut off by the end, unless what there is of it already fails.
            const bool cut = std::all_of(
                text.begin() + static_cast<std::ptrdiff_t>(i) + 1, text.end(),
                [](char c) { return inRange(static_cast<unsigned char>(c), 0xA1, 0xFE); });
            if (cut) {
                if (!goesOn)
                    tally.add(Kind::Cut);
                break;
            }
            tally.add(Kind::Invalid);
            ++i;
            continue;
        }
        const unsigned char second = opens ? byteAt(text, i + 1) : 0;
        if (b == 0x8E && inRange(second, 0xA1, 0xDF)) {
            tally.add(Kind::HalfWidthKana);
        } else if (b == 0x8F && inRange(second, 0xA1, 0xFE) &&
                   inRange(byteAt(text, i + 2), 0xA1, 0xFE)) {
            tally.add(Kind::RareKanji);
        } else if (inRange(b, 0xA1, 0xFE) && inRange(second, 0xA1, 0xFE)) {
            const int row = b - 0xA0;
            tally.add(row >= 85 ? Kind::Unassigned : kindOfJisCell(row, second - 0xA0));
        } else {
            tally.add(Kind::Invalid);
            ++i;
            continue;
        }
        i += length;
    }
    return tally;
}

Tally readUtf8(std::string_view text, bool goesOn) {
    Tally tally;
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char b = byteAt(text, i);
        if (b < 0x80) {
            tally.add(kindOfAscii(b));
            ++i;
            continue;
        }
        const engine::Utf8Fit fit = engine::utf8FitAt(text, i);
        if (fit.length != 0 && fit.fitting == fit.length) {
            char32_t c = b & (0x7F >> fit.length);
            for (std::size_t k = 1; k < fit.length; ++k)
                c = c << 6 | (byteAt(text, i + k) & 0x3F);
            tally.add(kindOfCodePoint(c));
            i += fit.length;
            continue;
        }
        if (fit.length != 0 && i + fit.fitting == size) {
            if (!goesOn)
                tally.add(Kind::Cut);
            break;
        }
        // One bad sequence: the longest start of a character, or a byte that starts none.
        tally.add(Kind::Invalid);
        i += std::max<std::size_t>(fit.fitting, 1);
    }
    return tally;
}

Tally readUtf16(std::string_view text, bool bigEndian, bool goesOn) {
    Tally tally;
    const auto unitAt = [&](std::size_t i) -> char32_t {
        const unsigned first = byteAt(text, i);
        const unsigned second = byteAt(text, i + 1);
        return bigEndian ? first << 8 | second : second << 8 | first;
    };
    const std::size_t size = text.size();
    std::size_t i = 0;
    for (; i + 1 < size; i += 2) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= size) {
                if (!goesOn)
                    tally.add(Kind::Cut);
                return tally;
            }
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                tally.add(kindOfCodePoint(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        tally.add(kindOfCodePoint(unit));
    }
    if (i < size && !goesOn)
        tally.add(Kind::Invalid); // an odd byte at the end: UTF-16 has none
    return tally;
}

// Escapes that designate a set, and what its bytes then are.
enum class Iso2022Set { Ascii, JisX0208, OtherTwoByte, HalfWidthKana };

struct Designation {
    std::string_view escape; // after ESC
    Iso2022Set set;
};

// JIS X 0208 (1978 and 1983) and JIS X 0213 plane 1 read as JIS X 0208; JIS X 0212 and JIS X
// 0213 plane 2 as kanji code page 932 lacks; ASCII, JIS-Roman and half-width katakana.
constexpr Designation kDesignations[] = {
    {"$@", Iso2022Set::JisX0208},      {"$B", Iso2022Set::JisX0208},
    {"$(Q", Iso2022Set::JisX0208},     {"$(O", Iso2022Set::JisX0208},
    {"$(D", Iso2022Set::OtherTwoByte}, {"$(P", Iso2022Set::OtherTwoByte},
    {"(B", Iso2022Set::Ascii},         {"(J", Iso2022Set::Ascii},
    {"(I", Iso2022Set::HalfWidthKana},
};

// Whether an escape designates a Japanese set; ESC ( B alone only returns to ASCII.
bool hasIso2022JpDesignation(std::string_view text) {
    for (std::size_t pos = text.find('\x1B'); pos != std::string_view::npos;
         pos = text.find('\x1B', pos + 1)) {
        const std::string_view rest = text.substr(pos + 1);
        for (const Designation& designation : kDesignations) {
            if (designation.escape != "(B" && rest.starts_with(designation.escape))
                return true;
        }
    }
    return false;
}

Tally readIso2022Jp(std::string_view text, bool goesOn) {
    Tally tally;
    Iso2022Set set = Iso2022Set::Ascii;
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char b = byteAt(text, i);
        if (b == 0x1B) {
            const std::string_view rest = text.substr(i + 1);
            const auto designation =
                std::find_if(std::begin(kDesignations), std::end(kDesignations),
                             [rest](const Designation& d) { return rest.starts_with(d.escape); });
            if (designation == std::end(kDesignations)) {
                if (goesOn && rest.size() < 3)
                    break;
                tally.add(Kind::Invalid);
                ++i;
                continue;
            }
            set = designation->set;
            i += 1 + designation->escape.size();
            continue;
        }
        if (b >= 0x80) {
            tally.add(Kind::Invalid);
        } else if (b == '\r' || b == '\n') {
            set = Iso2022Set::Ascii; // a line break returns to ASCII
            tally.add(Kind::Neutral);
        } else if (set == Iso2022Set::HalfWidthKana && inRange(b, 0x21, 0x5F)) {
            tally.add(Kind::HalfWidthKana);
        } else if ((set == Iso2022Set::JisX0208 || set == Iso2022Set::OtherTwoByte) &&
                   inRange(b, 0x21, 0x7E)) {
            if (i + 1 == size) {
                if (!goesOn)
                    tally.add(Kind::Cut);
                break;
            }
            const unsigned char second = byteAt(text, i + 1);
            if (!inRange(second, 0x21, 0x7E)) {
                tally.add(Kind::Invalid);
            } else {
                tally.add(set == Iso2022Set::JisX0208 ? kindOfJisCell(b - 0x20, second - 0x20)
                                                      : Kind::RareKanji);
                ++i;
            }
        } else {
            tally.add(kindOfAscii(b));
        }
        ++i;
    }
    return tally;
}

// Bytes before the first one with its high bit set, eight at a time: a book often opens with a
// long stretch of ASCII.
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

// A verdict whose winner leads by less than this is a guess: about one unreadable sequence, or
// a kana and a half.
constexpr std::int64_t kCloseMargin = 6;

struct Reading {
    Encoding encoding;
    Tally tally;

    std::int64_t score() const {
        switch (encoding) {
        case Encoding::Utf8:
        case Encoding::Iso2022Jp:
            return tally.score(KanjiAlone::Evidence);
        case Encoding::EucJp:
        case Encoding::Utf16Le:
        case Encoding::Utf16Be:
            return tally.score(KanjiAlone::Cheap);
        default:
            return tally.score(KanjiAlone::Neutral);
        }
    }
};

// The highest score wins; among equals the earliest reading, code page 932 first. UTF-16 without
// a byte-order mark must show something Japanese: any two bytes are some UTF-16 character, so a
// text that reads badly in every encoding would otherwise often read least badly as UTF-16.
EncodingVerdict decide(const Reading* readings, std::size_t count) {
    const Reading* best = readings;
    for (const Reading* r = readings; r != readings + count; ++r) {
        const bool utf16 = r->encoding == Encoding::Utf16Le || r->encoding == Encoding::Utf16Be;
        if (r->score() > best->score() && (!utf16 || r->score() > 0))
            best = r;
    }
    EncodingVerdict verdict;
    verdict.encoding = best->encoding;
    const Reading* closest = nullptr;
    for (const Reading* r = readings; r != readings + count; ++r) {
        if (r != best && (!closest || r->score() > closest->score()))
            closest = r;
    }
    if (closest && best->score() - closest->score() < kCloseMargin)
        verdict.guess = engine::EncodingGuess{best->encoding, closest->encoding};
    return verdict;
}

// A text of ASCII bytes alone is code page 932 as it stands, unless it is UTF-16 of ASCII and
// kana: then every ASCII character leaves a NUL byte at offsets of one parity (odd in little-
// endian order), and without any NUL only a reading that is all Japanese counts.
EncodingVerdict weighSevenBitText(std::string_view text, std::size_t limit) {
    const bool goesOn = text.size() > limit;
    const std::string_view stretch = text.substr(0, limit);
    bool nulAtEven = false;
    bool nulAtOdd = false;
    for (std::size_t pos = stretch.find('\0'); pos != std::string_view::npos;
         pos = stretch.find('\0', pos + 1))
        (pos % 2 ? nulAtOdd : nulAtEven) = true;
    constexpr std::int64_t kFewestJapanese = 15; // five katakana, four hiragana
    Reading readings[3] = {{Encoding::ShiftJis, readCodePage932(stretch, goesOn)}};
    std::size_t count = 1;
    for (const bool bigEndian : {false, true}) {
        const bool nulPattern = bigEndian ? nulAtEven && !nulAtOdd : nulAtOdd && !nulAtEven;
        Tally tally = readUtf16(stretch, bigEndian, goesOn);
        const bool japanese =
            tally.allJapanese() && tally.score(KanjiAlone::Cheap) >= kFewestJapanese;
        if (nulPattern || (!nulAtEven && !nulAtOdd && japanese))
            readings[count++] = {bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le, tally};
    }
    if (count == 1)
        return {};
    return decide(readings, count);
}

// Where the stretch to be weighed ends: once it holds `evidence` bytes beyond ASCII, at most
// `limit` bytes after `start`.
std::size_t stretchEnd(std::string_view text, std::size_t start, std::size_t evidence,
                       std::size_t limit) {
    const std::size_t end = std::min(text.size(), start + limit);
    std::size_t seen = 0;
    for (std::size_t i = start; i < end; ++i) {
        seen += byteAt(text, i) >> 7;
        if (seen == evidence)
            return i + 1;
    }
    return end;
}

} // namespace

EncodingVerdict WeighEncodings(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return {Encoding::Utf8, {}};
    if (bytes.starts_with("\xFF\xFE"))
        return {Encoding::Utf16Le, {}};
    if (bytes.starts_with("\xFE\xFF"))
        return {Encoding::Utf16Be, {}};

    // The evidence: a stretch from just before the first byte beyond ASCII until it holds enough
    // such bytes; where that leaves the verdict close, a larger one. Five Japanese characters
    // mostly decide; the stretch holds thousands, and the rest of the text is not read.
    constexpr std::size_t kEvidenceBytes = 16 * 1024;
    constexpr std::size_t kStretchLimit = std::size_t{1} << 20;
    constexpr std::size_t kLargestStretch = std::size_t{16} << 20;
    constexpr std::size_t kAsciiContext = 4096;

    const std::size_t ascii = asciiPrefixLength(bytes);
    if (ascii == bytes.size()) {
        if (hasIso2022JpDesignation(bytes))
            return {Encoding::Iso2022Jp, {}};
        return weighSevenBitText(bytes, kStretchLimit);
    }
    // An even start keeps UTF-16's code units whole.
    const std::size_t start = (ascii - std::min(ascii, kAsciiContext)) & ~std::size_t{1};
    EncodingVerdict verdict;
    for (std::size_t evidence = kEvidenceBytes, limit = kStretchLimit;;
         evidence *= 16, limit *= 16) {
        const std::size_t end = stretchEnd(bytes, start, evidence, limit);
        const bool goesOn = end < bytes.size();
        const std::string_view stretch = bytes.substr(start, end - start);
        Reading readings[] = {
            {Encoding::ShiftJis, readCodePage932(stretch, goesOn)},
            {Encoding::Utf8, readUtf8(stretch, goesOn)},
            {Encoding::EucJp, readEucJp(stretch, goesOn)},
            {Encoding::Utf16Le, readUtf16(stretch, false, goesOn)},
            {Encoding::Utf16Be, readUtf16(stretch, true, goesOn)},
            {Encoding::Iso2022Jp, {}},
        };
        std::size_t count = std::size(readings) - 1;
        // ISO-2022-JP reads from the start, where its escapes may stand in the ASCII before.
        const std::string_view head = bytes.substr(0, end);
        if (hasIso2022JpDesignation(head))
            readings[count++].tally = readIso2022Jp(head, goesOn);
        verdict = decide(readings, count);
        if (!verdict.guess || !goesOn || limit >= kLargestStretch)
            return verdict;
    }
}

Encoding DetectEncoding(std::string_view bytes) {
    return WeighEncodings(bytes).encoding;
}

} // namespace input

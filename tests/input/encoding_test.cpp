// The conversion's contract on every system (the Windows build runs these under Wine): worked
// examples with exact bytes and counts. encoding_reference_test.cpp holds every code of every
// encoding to ICU's converters on Linux.
#include "input/encoding.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace input;
using namespace std::string_literals;
using namespace testing_support;

namespace {

const std::string kGeta = "\x81\xAC"; // 〓

// UTF-16 code units as UTF-8 and UTF-16 bytes, by the encoding forms' arithmetic.
std::string utf8FromUnits(std::u16string_view units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            out +=
                {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                 static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return out;
}

std::string bytesFromUnits(std::u16string_view units, bool bigEndian) {
    std::string out;
    for (const char16_t u : units) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

// UTF-8 (a literal of this file) as UTF-16 code units.
std::u16string unitsOfUtf8(std::string_view utf8) {
    std::u16string units;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? b : b & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (c >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
        i += length;
    }
    return units;
}

std::string utf8Of(std::string_view sjis) {
    return utf8FromUnits(utf16Of(sjis));
}
std::string utf16LeOf(std::string_view sjis) {
    return bytesFromUnits(utf16Of(sjis), false);
}
std::string utf16BeOf(std::string_view sjis) {
    return bytesFromUnits(utf16Of(sjis), true);
}

// JIS X 0208 row and cell (from 0x21) of a Shift_JIS character, by the JIS arithmetic.
std::pair<int, int> jisOf(unsigned char lead, unsigned char trail) {
    int row = (lead <= 0x9F ? lead - 0x70 : lead - 0xB0) * 2;
    int cell = 0;
    if (trail < 0x9F) {
        --row;
        cell = trail - 0x1F - (trail >= 0x80 ? 1 : 0);
    } else {
        cell = trail - 0x7E;
    }
    return {row, cell};
}

// Shift_JIS -> EUC-JP by the JIS arithmetic: JIS X 0208 with the high bits set, half-width
// katakana after 8E. Only for lead bytes below F0.
std::string eucJpOf(std::string_view sjis) {
    std::string out;
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(sjis[i]);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF)) {
            const auto [row, cell] = jisOf(b, static_cast<unsigned char>(sjis[++i]));
            out += {static_cast<char>(row | 0x80), static_cast<char>(cell | 0x80)};
        } else if (b >= 0xA1 && b <= 0xDF) {
            out += {'\x8E', static_cast<char>(b)};
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

// Shift_JIS -> ISO-2022-JP by the JIS arithmetic (the system's ISO-2022-JP has neither half-width
// katakana nor Microsoft's code points): JIS X 0208 after ESC $ B, half-width katakana after
// ESC ( I, ASCII after ESC ( B. Only for lead bytes below F0.
std::string iso2022JpOf(std::string_view sjis) {
    std::string out;
    std::string_view current = "\x1B(B";
    const auto designate = [&](std::string_view escape) {
        if (current != escape)
            out += escape;
        current = escape;
    };
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(sjis[i]);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF)) {
            const auto [row, cell] = jisOf(b, static_cast<unsigned char>(sjis[++i]));
            designate("\x1B$B");
            out += static_cast<char>(row);
            out += static_cast<char>(cell);
        } else if (b >= 0xA1 && b <= 0xDF) {
            designate("\x1B(I");
            out += static_cast<char>(b - 0x80);
        } else {
            designate("\x1B(B");
            out += static_cast<char>(b);
        }
    }
    designate("\x1B(B");
    return out;
}

// Hiragana, katakana, kanji, half-width katakana with voiced marks, ASCII, full-width punctuation
// and digits, and the control bytes a text may carry (CR LF, TAB, EOF).
std::string paragraph() {
    return sj("　吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"
              "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。") +
           "\r\n" + sj("「ｶﾞｯｺｳ」へ行く～！　ＡＢＣ（１２３）・・・？") + "\tTab, ASCII 0-9.\r\n" +
           "\x1A";
}

struct Expected {
    Encoding encoding;
    std::string bytes;
    std::size_t replaced = 0;
};

// `source` converted as `choice` says; when it is to be found out, it is found to be the
// encoding expected.
void expectConverted(std::string_view source, Encoding choice, const Expected& want,
                     const std::string& label) {
    if (choice == Encoding::Auto) {
        EXPECT_EQ(DetectEncoding(source), want.encoding) << label;
    }
    const Decoded got = ToCodePage932(source, choice);
    EXPECT_TRUE(got.converted) << label;
    EXPECT_EQ(hex(got.bytes), hex(want.bytes)) << label;
    EXPECT_EQ(got.replaced, want.replaced) << label;
}

void expectUntouched(const Decoded& got, const std::string& label) {
    EXPECT_FALSE(got.converted) << label;
    EXPECT_TRUE(got.bytes.empty()) << label;
    EXPECT_EQ(got.replaced, 0u) << label;
}

} // namespace

TEST(EncodingDetection, RulesInOrder) {
    const std::string eucOnly = eucJpOf(sj("漢字")); // B4 C1 BB FA: FA opens a pair nothing closes
    const std::string neko =
        sj("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。");
    const std::string shortLine = sj("日本語の文章です。");
    const struct {
        const char* label;
        std::string bytes;
        Encoding expected;
    } rows[] = {
        {"empty", "", Encoding::ShiftJis},
        {"ASCII with CR LF and EOF", "Plain text\r\n\x1A", Encoding::ShiftJis},
        {"UTF-8 BOM alone", "\xEF\xBB\xBF", Encoding::Utf8},
        {"UTF-8 BOM on ASCII", "\xEF\xBB\xBFtext", Encoding::Utf8},
        {"UTF-8 BOM on Shift_JIS bytes", "\xEF\xBB\xBF" + sj("日本"), Encoding::Utf8},
        {"UTF-16LE BOM", "\xFF\xFE" + "a\0"s, Encoding::Utf16Le},
        {"UTF-16BE BOM", "\xFE\xFF\0a"s, Encoding::Utf16Be},
        {"UTF-8 Japanese", utf8Of(neko), Encoding::Utf8},
        // Half-width katakana in code page 932, a Latin-1 letter in UTF-8: the former.
        {"UTF-8 two-byte e acute", "caf\xC3\xA9", Encoding::ShiftJis},
        {"UTF-8 four-byte emoji", "\xF0\x9F\x98\x80", Encoding::Utf8},
        {"Shift_JIS Japanese", neko, Encoding::ShiftJis},
        {"Shift_JIS with a stray byte", sj("日本語") + "\xFF" + sj("です"), Encoding::ShiftJis},
        {"UTF-8 overlong slash", "\xE0\x80\xAF", Encoding::ShiftJis},
        {"UTF-8 surrogate", "\xED\xA0\x80", Encoding::ShiftJis},
        {"UTF-8 beyond U+10FFFF", "\xF4\x90\x80\x80", Encoding::ShiftJis},
        {"UTF-8 cut off at the end", "\xE3\x81\x82\xE3\x81", Encoding::Utf8},
        {"UTF-8 lone trail byte", "a\x80z", Encoding::ShiftJis},
        {"ISO-2022-JP JIS X 0208", iso2022JpOf(neko), Encoding::Iso2022Jp},
        {"ISO-2022-JP JIS X 0208 1978", "\x1B$@\x30\x21\x1B(B", Encoding::Iso2022Jp},
        {"ISO-2022-JP JIS X 0212", "\x1B$(D\x30\x21\x1B(B", Encoding::Iso2022Jp},
        {"ISO-2022-JP JIS X 0213", "\x1B$(Q\x30\x21\x1B(B", Encoding::Iso2022Jp},
        {"ISO-2022-JP JIS-Roman", "\x1B(J\\~", Encoding::Iso2022Jp},
        {"ISO-2022-JP half-width katakana", "\x1B(I\x31\x32\x1B(B", Encoding::Iso2022Jp},
        {"ESC ( B designates nothing Japanese", "\x1B(Btext", Encoding::ShiftJis},
        {"ISO-2022-JP escape in 8-bit text", "\x1B$B\x30\x21\x1B(B" + sj("あ"), Encoding::ShiftJis},
        {"EUC-JP not valid as code page 932", eucOnly, Encoding::EucJp},
        {"Shift_JIS of the same", sj("漢字"), Encoding::ShiftJis},
        // あ and a stray byte outweigh ､ｲ, the same stray byte and ｡.
        {"EUC-JP has no byte A0", "\xA4\xA2\xA0\xA1", Encoding::EucJp},
        // Valid as both from here: the kana decide.
        {"EUC-JP sentence", eucJpOf(neko), Encoding::EucJp},
        {"EUC-JP line of nine characters", eucJpOf(shortLine), Encoding::EucJp},
        // Four half-width katakana are two EUC-JP kanji too, which alone count no more.
        {"Shift_JIS ｱｲｳｴ, valid EUC-JP", "\xB1\xB2\xB3\xB4", Encoding::ShiftJis},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DetectEncoding(row.bytes), row.expected)
            << row.label << ": " << hex(row.bytes) << " taken as "
            << static_cast<int>(DetectEncoding(row.bytes));
}

TEST(CodePage932Conversion, RoundTripsATextInEveryEncoding) {
    const std::string sjis = paragraph();
    const struct {
        const char* label;
        std::string bytes;
        Encoding detected;
    } rows[] = {
        {"UTF-8", utf8Of(sjis), Encoding::Utf8},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8Of(sjis), Encoding::Utf8},
        {"UTF-16LE with BOM", "\xFF\xFE" + utf16LeOf(sjis), Encoding::Utf16Le},
        {"UTF-16BE with BOM", "\xFE\xFF" + utf16BeOf(sjis), Encoding::Utf16Be},
        {"EUC-JP", eucJpOf(sjis), Encoding::EucJp},
        {"ISO-2022-JP", iso2022JpOf(sjis), Encoding::Iso2022Jp},
    };
    for (const auto& row : rows) {
        expectConverted(row.bytes, Encoding::Auto, {row.detected, sjis}, row.label);
        expectConverted(row.bytes, row.detected, {row.detected, sjis}, row.label);
    }
    expectUntouched(ToCodePage932(sjis, Encoding::Auto), "Shift_JIS");
}

TEST(CodePage932Conversion, HalfWidthKatakanaAreSingleBytes) {
    std::u16string units;
    std::string expected;
    for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) {
        units += c;
        expected += static_cast<char>(c - 0xFF61 + 0xA1);
    }
    expectConverted(bytesFromUnits(units, true), Encoding::Utf16Be, {Encoding::Utf16Be, expected},
                    "U+FF61-FF9F");
    expectConverted(utf8FromUnits(units), Encoding::Auto, {Encoding::Utf8, expected},
                    "U+FF61-FF9F in UTF-8");
}

TEST(CodePage932Conversion, NecAndIbmDuplicatesTakeMicrosoftsCodes) {
    // Characters code page 932 holds twice or three times; windows-31j writes the code Microsoft's
    // own table gives: JIS X 0208 row 2 before NEC row 13, NEC row 13 before the IBM extensions,
    // and the IBM extensions (FA-FC) before NEC's selection of them (ED-EE).
    const struct {
        const char* utf8;
        std::string bytes;
    } rows[] = {
        {"≒", "\x81\xE0"},  // not NEC 87 90
        {"≡", "\x81\xDF"},  // not NEC 87 91
        {"∫", "\x81\xE7"},  // not NEC 87 92
        {"√", "\x81\xE3"},  // not NEC 87 95
        {"∵", "\x81\xE6"},  // not NEC 87 9A, IBM FA 5B
        {"Ⅰ", "\x87\x54"},  // NEC row 13, not IBM FA 4A
        {"ⅰ", "\xFA\x40"},  // IBM, not NEC-selected EE EF
        {"￢", "\x81\xCA"}, // not NEC-selected EE F9, IBM FA 54
        {"纊", "\xFA\x5C"}, // IBM, not NEC-selected ED 40
    };
    for (const auto& row : rows)
        expectConverted(row.utf8, Encoding::Auto, {Encoding::Utf8, row.bytes}, row.utf8);
}

TEST(CodePage932Conversion, JisTableCodePointsTakeMicrosoftsCodes) {
    // iconv, Java and macOS decode Shift_JIS and EUC-JP with the JIS tables, which put some
    // characters at other code points than Microsoft's; they come back to the same codes.
    const struct {
        const char* utf8;
        std::string bytes;
    } rows[] = {
        {"〜", "\x81\x60"}, // U+301C WAVE DASH (plain windows-31j: none)
        {"～", "\x81\x60"}, // U+FF5E FULLWIDTH TILDE
        {"‖", "\x81\x61"},  {"−", "\x81\x7C"}, {"—", "\x81\x5C"},
        {"¢", "\x81\x91"},  {"£", "\x81\x92"}, {"¬", "\x81\xCA"},
        {"¥", "\x5C"},      {"‾", "\x7E"},     {"¦", "\xFA\x55"},
    };
    for (const auto& row : rows)
        expectConverted(row.utf8, Encoding::Utf8, {Encoding::Utf8, row.bytes}, row.utf8);
}

TEST(CodePage932Conversion, UnmappableCharactersBecomeGetaAndCount) {
    const struct {
        const char* utf8;
        std::string bytes;
        std::size_t replaced;
    } rows[] = {
        {"café", "caf" + kGeta, 1},
        {"😀", kGeta, 1},               // surrogate pair in UTF-16: once
        {"𠮟る", sj("叱る"), 0},       // likewise, and with a readable form
        {"鷗外", kGeta + sj("外"), 1}, // ICU would fall back to 鴎: not taken
        {"a😀é𠮟z", "a" + kGeta + kGeta + sj("叱") + "z", 2},
        {"\xEF\xBB\xBFz\xEF\xBB\xBFy", "z" + kGeta + "y", 1}, // U+FEFF within is no BOM
    };
    for (const auto& row : rows) {
        expectConverted(row.utf8, Encoding::Utf8, {Encoding::Utf8, row.bytes, row.replaced},
                        row.utf8);
        const std::string utf16 = bytesFromUnits(unitsOfUtf8(row.utf8), false);
        expectConverted(utf16, Encoding::Utf16Le, {Encoding::Utf16Le, row.bytes, row.replaced},
                        std::string(row.utf8) + " in UTF-16LE");
    }
}

TEST(CodePage932Conversion, ForcedDecodingWritesGetaForWhatItCannotRead) {
    const struct {
        const char* label;
        std::string bytes;
        Encoding choice;
        std::string expected;
        std::size_t replaced;
    } rows[] = {
        {"UTF-8 stray byte", "a\xFFz", Encoding::Utf8, "a" + kGeta + "z", 1},
        {"UTF-8 cut off", "a\xE3\x81", Encoding::Utf8, "a" + kGeta, 1},
        {"UTF-8 overlong: each byte", "\xC0\xAF", Encoding::Utf8, kGeta + kGeta, 2},
        {"UTF-8 surrogate: each byte", "\xED\xA0\x80", Encoding::Utf8, kGeta + kGeta + kGeta, 3},
        {"UTF-8 on Shift_JIS", sj("あ"), Encoding::Utf8, kGeta + kGeta, 2},
        {"UTF-16LE lone surrogate", "\0\xD8z\0"s, Encoding::Utf16Le, kGeta + "z", 1},
        {"UTF-16LE odd byte at the end", "a\0z"s, Encoding::Utf16Le, "a" + kGeta, 1},
        {"EUC-JP stray byte", "\xA4\xA2\xFF", Encoding::EucJp, sj("あ") + kGeta, 1},
        {"EUC-JP unassigned row 9", "\xA9\xA1", Encoding::EucJp, kGeta, 1},
        {"ISO-2022-JP 8-bit byte", "a\x82z", Encoding::Iso2022Jp, "a" + kGeta + "z", 1},
    };
    for (const auto& row : rows)
        expectConverted(row.bytes, row.choice, {row.choice, row.expected, row.replaced}, row.label);
}

TEST(CodePage932Conversion, EucJpMsIbmExtensions) {
    // eucJP-ms writes the IBM extensions JIS X 0212 lacks as one run, 8F F3 F3 to 8F F4 FE;
    // around it lie user-defined cells, which code page 932 readers have no glyphs for.
    const struct {
        std::string bytes;
        std::string expected;
        std::size_t replaced;
    } rows[] = {
        {"\x8F\xF3\xF2", kGeta, 1},      // before the run
        {"\x8F\xF3\xF3", "\xFA\x40", 0}, // ⅰ, first
        {"\x8F\xF3\xFE", "\x87\x55", 0}, // Ⅱ, last of row 83 (NEC row 13 holds it too)
        {"\x8F\xF4\xA1", "\x87\x56", 0}, // Ⅲ, first of row 84
        {"\x8F\xF4\xFB", "\xFB\xFC", 0}, // 髙
        {"\x8F\xF4\xFE", "\xFC\x4B", 0}, // 黑, last
        {"\x8F\xF5\xA1", kGeta, 1},      // after the run
        {"\x8F\xA2\xC3", "\xFA\x55", 0}, // ¦ of JIS X 0212 as ￤
    };
    for (const auto& row : rows)
        expectConverted(row.bytes, Encoding::EucJp, {Encoding::EucJp, row.expected, row.replaced},
                        hex(row.bytes));
}

TEST(CodePage932Conversion, Iso2022JpSets) {
    const std::string a = "\x88\x9F"; // 亜, JIS 30 21
    const struct {
        const char* label;
        std::string bytes;
        std::string expected;
        std::size_t replaced;
    } rows[] = {
        {"JIS X 0208 1978", "\x1B$@\x30\x21\x1B(B", a, 0},
        {"JIS-Roman", "\x1B(J\\~\x1B(B\\~", "\\~\\~", 0},
        {"half-width katakana", "\x1B(I\x31\x5F\x1B(B", "\xB1\xDF", 0},
        {"NEC row 13 (①)", "\x1B$B\x2D\x21\x1B(B", "\x87\x40", 0},
        // 纊 é 丂 as the system writes them: 纊 is in code page 932, the others are not.
        {"JIS X 0212", "\x1B$(DTc+1\x30\x21\x1B(B", "\xFA\x5C" + kGeta + kGeta, 2},
        {"line break returns to ASCII", "\x1B$B\x30\x21\r\n\x30\x21", a + "\r\n0!", 0},
        // JIS X 0213: what JIS X 0208 also has is read, the rest is 〓, and nothing is read as
        // ASCII that was not.
        {"JIS X 0213 plane 1", "\x1B$(Q\x30\x21\x2D\x21\x1B(Bok", a + kGeta + "ok", 1},
        {"JIS X 0213:2000 plane 1", "\x1B$(O\x30\x21\x1B(B", a, 0},
        {"JIS X 0213 plane 2", "\x1B$(P\x21\x21\x30\x21\x1B(B", kGeta + kGeta, 2},
        // 2D 21 is no JIS X 0208 cell: read as a pair it would be 〓.
        {"JIS X 0213 then a line break", "\x1B$(Q\x30\x21\n\x2D\x21", a + "\n-!", 0},
        {"JIS X 0213 then JIS X 0208", "\x1B$(Q\x2D\x21\x1B$B\x2D\x21\x1B(B", kGeta + "\x87\x40",
         1},
    };
    for (const auto& row : rows)
        expectConverted(row.bytes, Encoding::Iso2022Jp,
                        {Encoding::Iso2022Jp, row.expected, row.replaced}, row.label);
}

TEST(CodePage932Conversion, LeavesCodePage932AndAsciiUntouched) {
    const struct {
        const char* label;
        std::string bytes;
        Encoding choice;
    } rows[] = {
        {"empty", "", Encoding::Auto},
        {"Shift_JIS with a stray byte", sj("日本語") + "\x80" + sj("テキスト"), Encoding::Auto},
        {"ASCII with CR LF and EOF", "line\r\nline\r\n\x1A", Encoding::Auto},
        {"UTF-8 forced to Shift_JIS", utf8Of(sj("日本語")), Encoding::ShiftJis},
        {"UTF-8 BOM forced to Shift_JIS", "\xEF\xBB\xBFtext", Encoding::ShiftJis},
    };
    for (const auto& row : rows)
        expectUntouched(ToCodePage932(row.bytes, row.choice), row.label);
}

TEST(CodePage932Conversion, ByteOrderMarkIsDroppedOnlyAsAMark) {
    expectConverted("\xEF\xBB\xBF", Encoding::Auto, {Encoding::Utf8, ""}, "alone");
    expectConverted("\xEF\xBB\xBF" + utf8Of(sj("日本")), Encoding::Utf8,
                    {Encoding::Utf8, sj("日本")}, "forced UTF-8");
    // On a text forced to EUC-JP the same bytes are a character (EF BB) and a stray byte.
    expectConverted("\xEF\xBB\xBF", Encoding::EucJp,
                    {Encoding::EucJp, "\xE8\x5A" + kGeta, 1}, // 鏤 (JIS 6F 3B), 〓
                    "forced EUC-JP");
}

TEST(CodePage932Conversion, LongTextsConvertWhole) {
    // 11 bytes per unit, of every length UTF-8 has.
    const std::string unit = utf8Of(sj("あ")) + "\xF0\x9F\x98\x80" + utf8Of(sj("漢")) + "a";
    const int count = 300000;
    const std::string utf8 = repeat(unit, count);
    const std::string expected = repeat(sj("あ") + kGeta + sj("漢") + "a", count);
    const Decoded got = ToCodePage932(utf8, Encoding::Auto);
    EXPECT_EQ(got.replaced, std::size_t(count));
    EXPECT_TRUE(got.bytes == expected) << "sizes " << got.bytes.size() << ", " << expected.size();
    const Decoded utf16 = ToCodePage932(bytesFromUnits(unitsOfUtf8(utf8), true), Encoding::Utf16Be);
    EXPECT_EQ(utf16.replaced, std::size_t(count));
    EXPECT_TRUE(utf16.bytes == expected);

    // Undecodable bytes take twice their room as 〓, beyond what the input's size holds.
    const Decoded broken = ToCodePage932(repeat("a\xFF\xFF", count), Encoding::Utf8);
    EXPECT_EQ(broken.replaced, 2 * std::size_t(count));
    EXPECT_TRUE(broken.bytes == repeat("a" + kGeta + kGeta, count));
}

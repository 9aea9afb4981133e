#include "input/encoding.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

using namespace input;
using namespace std::string_literals;
using namespace testing_support;

namespace {

const std::string kGeta = "\x81\xAC"; // 〓

// The system's converter (independent of ICU): `text` from one encoding to another, or nothing
// when it holds a character the target lacks or bytes the source cannot read.
std::optional<std::string> tryRecode(std::string_view text, const char* from, const char* to) {
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no converter ") + from + " -> " + to);
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

std::string recode(std::string_view text, const char* from, const char* to) {
    std::optional<std::string> out = tryRecode(text, from, to);
    if (!out)
        throw std::runtime_error(std::string("cannot recode ") + from + " -> " + to + ": " +
                                 hex(text));
    return *out;
}

std::string utf8Of(std::string_view sjis) {
    return recode(sjis, "CP932", "UTF-8");
}
std::string utf16LeOf(std::string_view sjis) {
    return recode(sjis, "CP932", "UTF-16LE");
}
std::string utf16BeOf(std::string_view sjis) {
    return recode(sjis, "CP932", "UTF-16BE");
}
// EUC-JP-MS: Microsoft's code points for 〜 and the like, as ICU's EUC-JP reads them.
std::string eucJpOf(std::string_view sjis) {
    return recode(sjis, "CP932", "EUC-JP-MS");
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
            const unsigned char t = static_cast<unsigned char>(sjis[++i]);
            int row = (b <= 0x9F ? b - 0x70 : b - 0xB0) * 2;
            int cell = 0;
            if (t < 0x9F) {
                --row;
                cell = t - 0x1F - (t >= 0x80 ? 1 : 0);
            } else {
                cell = t - 0x7E;
            }
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

// Every character code page 932 has, once: the two-byte codes that survive a round trip through
// the system's converter (of the NEC and IBM duplicates only the code Microsoft's table gives),
// then the half-width katakana.
std::string codePage932Repertoire() {
    std::string text;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
            const std::optional<std::string> utf8 = tryRecode(code, "CP932", "UTF-8");
            if (utf8 && tryRecode(*utf8, "UTF-8", "CP932") == code)
                text += code;
        }
    }
    for (int kana = 0xA1; kana <= 0xDF; ++kana)
        text += static_cast<char>(kana);
    return text;
}

// `text` without the two-byte characters whose lead byte is `first` to `last`.
std::string withoutLeads(std::string_view text, unsigned char first, unsigned char last) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || b >= 0xE0;
        if (!lead || b < first || b > last)
            out += text.substr(i, lead ? 2 : 1);
        i += lead ? 1 : 0;
    }
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

TEST(CodePage932Conversion, RoundTripsEveryCharacter) {
    const std::string all = codePage932Repertoire();
    // ICU's EUC-JP reads no user-defined characters (F040-F9FC); JIS has no IBM extensions either.
    const std::string noUserDefined = withoutLeads(all, 0xF0, 0xF9);
    const std::string jis = withoutLeads(all, 0xF0, 0xFC);
    ASSERT_GT(all.size(), 2 * 9000u);
    const struct {
        const char* label;
        std::string sjis;
        std::string bytes;
        Encoding choice;
    } rows[] = {
        {"UTF-8", all, utf8Of(all), Encoding::Auto},
        {"UTF-16LE", all, "\xFF\xFE" + utf16LeOf(all), Encoding::Auto},
        {"UTF-16BE", all, "\xFE\xFF" + utf16BeOf(all), Encoding::Auto},
        {"UTF-16LE without BOM", all, utf16LeOf(all), Encoding::Utf16Le},
        {"EUC-JP", noUserDefined, eucJpOf(noUserDefined), Encoding::EucJp},
        {"ISO-2022-JP", jis, iso2022JpOf(jis), Encoding::Auto},
    };
    for (const auto& row : rows) {
        const Decoded got = ToCodePage932(row.bytes, row.choice);
        EXPECT_TRUE(got.converted) << row.label;
        EXPECT_EQ(got.replaced, 0u) << row.label;
        ASSERT_EQ(got.bytes.size(), row.sjis.size()) << row.label;
        for (std::size_t i = 0; i < row.sjis.size(); i += 2)
            ASSERT_EQ(hex(got.bytes.substr(i, 2)), hex(row.sjis.substr(i, 2)))
                << row.label << " at " << i;
    }
}

TEST(CodePage932Conversion, HalfWidthKatakanaAreSingleBytes) {
    std::string utf16Be;
    std::string expected;
    for (int c = 0xFF61; c <= 0xFF9F; ++c) {
        utf16Be += {'\xFF', static_cast<char>(c & 0xFF)};
        expected += static_cast<char>(c - 0xFF61 + 0xA1);
    }
    expectConverted(utf16Be, Encoding::Utf16Be, {Encoding::Utf16Be, expected}, "U+FF61-FF9F");
    expectConverted(recode(utf16Be, "UTF-16BE", "UTF-8"), Encoding::Auto,
                    {Encoding::Utf8, expected}, "U+FF61-FF9F in UTF-8");
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

    // The same through the system's JIS-table decoders, as such a UTF-8 text would be made.
    const std::string sjis = "\\~" + sj("～∥－―￠￡￢");
    const std::string eucJp = recode(sjis, "CP932", "EUC-JP-MS");
    for (const auto& [label, utf8] :
         {std::pair{"SHIFT_JIS", recode(sjis, "SHIFT_JIS", "UTF-8")},
          std::pair{"EUC-JP", "\\~" + recode(eucJp.substr(2), "EUC-JP", "UTF-8")}}) {
        EXPECT_NE(utf8, utf8Of(sjis)) << label << ": no JIS-table code points to test";
        expectConverted(utf8, Encoding::Auto, {Encoding::Utf8, sjis}, label);
    }
}

TEST(CodePage932Conversion, UnmappableCharactersBecomeGetaAndCount) {
    const struct {
        const char* utf8;
        std::string bytes;
        std::size_t replaced;
    } rows[] = {
        {"café", "caf" + kGeta, 1},
        {"😀", kGeta, 1},               // surrogate pair in UTF-16: once
        {"𠮟る", kGeta + sj("る"), 1}, // likewise
        {"鷗外", kGeta + sj("外"), 1}, // ICU would fall back to 鴎: not taken
        {"a😀é𠮟z", "a" + kGeta + kGeta + kGeta + "z", 3},
        {"\xEF\xBB\xBFz\xEF\xBB\xBFy", "z" + kGeta + "y", 1}, // U+FEFF within is no BOM
    };
    for (const auto& row : rows) {
        expectConverted(row.utf8, Encoding::Utf8, {Encoding::Utf8, row.bytes, row.replaced},
                        row.utf8);
        const std::string utf16 = recode(row.utf8, "UTF-8", "UTF-16LE");
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

TEST(CodePage932Conversion, JisX0213ReadsWhatJisX0208Has) {
    // Every cell of JIS X 0213 plane 1: the cells the system's EUC-JP (JIS X 0208) reads come out
    // as their Shift_JIS codes, every other one as a counted 〓.
    std::string text = "\x1B$(Q";
    std::string expected;
    std::size_t missing = 0;
    for (int row = 1; row <= 94; ++row) {
        for (int cell = 1; cell <= 94; ++cell) {
            text += {static_cast<char>(row + 0x20), static_cast<char>(cell + 0x20)};
            const std::string euc{static_cast<char>(row + 0xA0), static_cast<char>(cell + 0xA0)};
            if (!tryRecode(euc, "EUC-JP", "UTF-8")) {
                expected += kGeta;
                ++missing;
                continue;
            }
            const int lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
            const int trail = row % 2 ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
            expected += {static_cast<char>(lead), static_cast<char>(trail)};
        }
    }
    ASSERT_EQ(missing, 94u * 94u - 6879u); // JIS X 0208 has 6879 characters
    const Decoded got = ToCodePage932(text, Encoding::Iso2022Jp);
    EXPECT_EQ(got.replaced, missing);
    ASSERT_EQ(got.bytes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); i += 2)
        ASSERT_EQ(hex(got.bytes.substr(i, 2)), hex(expected.substr(i, 2)))
            << "row " << i / 2 / 94 + 1 << " cell " << i / 2 % 94 + 1;
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
                    {Encoding::EucJp, recode("\xEF\xBB", "EUC-JP", "CP932") + kGeta, 1},
                    "forced EUC-JP");
}

TEST(CodePage932Conversion, LongTextsConvertAcrossSliceBoundaries) {
    // 11 bytes per unit: the 64 KiB output chunks and 1 MiB input slices fall inside characters.
    const std::string unit = utf8Of(sj("あ")) + "\xF0\x9F\x98\x80" + utf8Of(sj("漢")) + "a";
    const int count = 300000;
    const std::string utf8 = repeat(unit, count);
    const std::string expected = repeat(sj("あ") + kGeta + sj("漢") + "a", count);
    const Decoded got = ToCodePage932(utf8, Encoding::Auto);
    EXPECT_EQ(got.replaced, std::size_t(count));
    EXPECT_TRUE(got.bytes == expected) << "sizes " << got.bytes.size() << ", " << expected.size();
    const Decoded utf16 = ToCodePage932(recode(utf8, "UTF-8", "UTF-16BE"), Encoding::Utf16Be);
    EXPECT_EQ(utf16.replaced, std::size_t(count));
    EXPECT_TRUE(utf16.bytes == expected);
}

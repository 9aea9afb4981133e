// Characters code page 932 lacks: their readable forms, in gaiji notes and in sources of other
// encodings alike, the 〓s that remain, and what the counts report.
#include "input/aozora_notation.h"
#include "input/decoder_tables.h"
#include "input/encoding.h"
#include "input/jisx0213_table.h"
#include "input/readable_forms.h"
#include "support/sjis_text.h"

#include "engine/utf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace input;
using namespace testing_support;

namespace {

std::string clean(std::string_view utf8, Ruby ruby = Ruby::Drop) {
    return RemoveAozoraNotation(sj(utf8), ruby).text;
}

// Whether every character of `bytes` is one code page 932 defines.
bool allCodePage932(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80 || (lead >= 0xA1 && lead <= 0xDF)) {
            ++i;
            continue;
        }
        if (i + 1 >= bytes.size() ||
            tables::codePage932Pair(lead, static_cast<unsigned char>(bytes[i + 1])) == 0)
            return false;
        i += 2;
    }
    return true;
}

} // namespace

TEST(ReadableForms, EveryFormIsCodePage932AndOnlyForWhatItLacks) {
    const auto keys = codePointsWithReadableForms();
    ASSERT_GT(keys.size(), 1000u);
    for (const char32_t c : keys) {
        const std::string_view form = readableForm(c);
        ASSERT_FALSE(form.empty()) << std::hex << static_cast<std::uint32_t>(c);
        EXPECT_TRUE(allCodePage932(form)) << std::hex << static_cast<std::uint32_t>(c);
        EXPECT_EQ(cp932FromCodePoint(c), 0) << std::hex << static_cast<std::uint32_t>(c);
        // No form holds control codes or line breaks, which would change the text's shape.
        for (const char b : form)
            EXPECT_GE(static_cast<unsigned char>(b), 0x20)
                << std::hex << static_cast<std::uint32_t>(c);
    }
    for (int plane = 1; plane <= 2; ++plane)
        for (int row = 1; row <= 94; ++row)
            for (int cell = 1; cell <= 94; ++cell) {
                const std::string_view form = readableFormOfJisX0213(plane, row, cell);
                if (form.empty())
                    continue;
                EXPECT_TRUE(allCodePage932(form)) << plane << '-' << row << '-' << cell;
                EXPECT_EQ(cp932FromJisX0213(plane, row, cell), 0)
                    << plane << '-' << row << '-' << cell;
            }
}

TEST(ReadableForms, NeverASimplifiedForm) {
    // 學's only variant that code page 932 holds is 学, its simplified form: none is given.
    EXPECT_EQ(readableForm(U'\u5B78'), "");
    EXPECT_EQ(readableForm(U'\u8AAA'), sj("説")); // 說: a semantic variant, not a simplification
    EXPECT_EQ(readableForm(U'\u3042'), "");       // held exactly: no form
}

TEST(ReadableForms, EncoderWritesThemAndCountsOnlyWhatStaysGeta) {
    // ヷ, an emoji, ‼, a compatibility kanji, ヿ, another emoji
    const Decoded d = ToCodePage932("\xE3\x83\xB7\xF0\x9F\x98\x80\xE2\x80\xBC\xEF\xA4\x9D"
                                    "\xE3\x83\xBF\xF0\x9F\x98\x83",
                                    Encoding::Utf8);
    EXPECT_EQ(hex(d.bytes), hex(sj("ワ゛〓!!欄コト〓")));
    EXPECT_EQ(d.replaced, 2u);
    // The lost characters stand for the 〓s that remain, in order.
    EXPECT_EQ(d.lost, (std::vector<std::string>{"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x83"}));

    // A text of forms longer than their source grows past the room made ahead.
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "\xE3\x83\xBF"; // ヿ: 3 bytes in, 4 out
    const Decoded grown = ToCodePage932(many, Encoding::Utf8);
    EXPECT_EQ(grown.bytes.size(), 20000u);
    EXPECT_EQ(grown.replaced, 0u);

    // UTF-16 and EUC-JP (JIS X 0212's 丂 has no form; 〻 is not in EUC-JP) take the same table.
    const Decoded utf16 = ToCodePage932(std::string("\x3B\x30\x3C\x20", 4), Encoding::Utf16Le);
    EXPECT_EQ(hex(utf16.bytes), hex(sj("々!!")));
}

// Every code point, against the decoder's table: a code found decodes to a character that has
// that code (a few, such as U+00A2, share the code of their full-width form), and every
// character a two-byte code decodes to (but the user-defined rows') is found.
TEST(AozoraGaiji, CodePointLookupAgreesWithTheDecoder) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        const std::uint16_t code = cp932FromCodePoint(c);
        if (code == 0)
            continue;
        const char32_t decoded = tables::codePage932Pair(static_cast<unsigned char>(code >> 8),
                                                         static_cast<unsigned char>(code & 0xFF));
        ASSERT_EQ(cp932FromCodePoint(decoded), code) << std::hex << static_cast<std::uint32_t>(c);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const char32_t c = tables::codePage932Pair(static_cast<unsigned char>(lead),
                                                       static_cast<unsigned char>(trail));
            if (c != 0 && (c < 0xE000 || c > 0xF8FF)) {
                ASSERT_NE(cp932FromCodePoint(c), 0) << std::hex << lead << ' ' << trail;
            }
        }
    }
}

TEST(AozoraGaiji, ReadableFormWhereCodePage932LacksTheCharacter) {
    EXPECT_EQ(hex(clean("※［＃二の字点、1-2-22］")), hex(sj("々")));
    EXPECT_EQ(hex(clean("※［＃濁点付き片仮名ヰ、1-7-83］")), hex(sj("ヰ゛")));
    // ‼ as two half-width marks in one cell.
    EXPECT_EQ(hex(clean("※［＃感嘆符二つ、1-8-75］")), hex("\x1F!!"));
    EXPECT_EQ(hex(clean("※［＃「廻」の「回」に代えて「己」、U+2231E、12-3］")), hex(sj("廻")));
    EXPECT_EQ(hex(clean("※［＃「挿」の異体字、U+63F7、45-6］")), hex(sj("挿")));
    // Two codes: the one code page 932 holds exactly wins over a readable form of the other.
    EXPECT_EQ(hex(clean("※［＃二の字点、1-2-22、U+3005］")), hex(sj("々")));
    EXPECT_EQ(hex(clean("※［＃「木＋内」、第3水準1-85-54］")), hex(sj("〓")));
}

TEST(AozoraGaiji, UnbalancedQuotesResolveByTheCode) {
    EXPECT_EQ(hex(clean("甲※［＃「「」の形、U+4E9C］乙")), hex(sj("甲亜乙")));
    EXPECT_EQ(hex(clean("甲※［＃「」」の形、第3水準1-2-22］乙")), hex(sj("甲々乙")));
    EXPECT_EQ(hex(clean("※［＃「口＋「、第4水準2-1-2］")), hex(sj("〓")));
    // Balanced quotes still shield their commas.
    EXPECT_EQ(hex(clean("甲※［＃「一、1-16-1」、2-5］乙")), hex(sj("甲〓乙")));
}

TEST(AozoraGaiji, ReadingOfAGetaStaysEvenWhenReadingsAreDropped) {
    EXPECT_EQ(hex(clean("※［＃「木＋内」、第3水準1-85-54］《ぜい》だ")), hex(sj("〓（ぜい）だ")));
    EXPECT_EQ(hex(clean("｜※［＃「木＋内」、第3水準1-85-54］《ぜい》だ")), hex(sj("〓（ぜい）だ")));
    EXPECT_EQ(hex(clean("※［＃二の字点、1-2-22］《どう》だ")), hex(sj("々だ")));
    EXPECT_EQ(hex(clean("※［＃「木＋内」、第3水準1-85-54］木《き》")), hex(sj("〓木")));
    EXPECT_EQ(hex(clean("※［＃「木＋内」、第3水準1-85-54］《ぜい》", Ruby::Parentheses)),
              hex(sj("〓（ぜい）")));
}

TEST(AozoraGaiji, CountsHowNotesWereResolved) {
    const AozoraText t = RemoveAozoraNotation(
        sj("※［＃「崎」の異体字、第3水準1-47-82］※［＃二の字点、1-2-22］"
           "※［＃「木＋内」、第3水準1-85-54］※［＃もんがまえに真の正字］※［＃「※」は底本では「＊」］"),
        Ruby::Drop);
    EXPECT_EQ(t.gaiji.exact, 1u);
    EXPECT_EQ(t.gaiji.readableForm, 1u);
    EXPECT_EQ(t.gaiji.geta, 2u);
}

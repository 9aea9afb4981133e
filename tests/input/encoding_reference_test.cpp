// The decoders and the encoder held to ICU's converters (tests/support/icu_reference.h, with the
// program's deliberate departures from them), character by character over every code each
// encoding has: the same code page 932 bytes and the same count of 〓. Any difference but the
// departures listed there fails, and a departure that no code meets is stale.

#include "input/decoder_tables.h"
#include "input/encoding.h"
#include "support/icu_reference.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

using namespace input;
using namespace testing_support;

namespace {

std::string describe(const Converted& r) {
    return "[" + hex(r.bytes) + "] " + std::to_string(r.replaced) + " replaced";
}

// Compares every input; stops reporting after a few failures (all of them with REFERENCE_ALL
// set), but counts them all.
class Sweep {
  public:
    explicit Sweep(Encoding encoding) : m_reference(encoding), m_encoding(encoding) {}
    ~Sweep() { EXPECT_EQ(m_failures, 0u) << "inputs that differ from the reference"; }

    void check(std::string_view input) { expect(input, m_reference.convert(input)); }

    void expect(std::string_view input, const Converted& want) {
        const Decoded decoded = ToCodePage932(input, m_encoding);
        const Converted got{decoded.bytes, decoded.replaced};
        if (decoded.converted && got == want)
            return;
        if (++m_failures <= 20 || std::getenv("REFERENCE_ALL"))
            ADD_FAILURE() << "input [" << hex(input) << "]: ours " << describe(got)
                          << ", reference " << describe(want);
    }

    IcuReference& reference() { return m_reference; }

  private:
    IcuReference m_reference;
    Encoding m_encoding;
    std::size_t m_failures = 0;
};

std::string utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | c >> 6);
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | c >> 12);
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | c >> 18);
        s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

std::string bytesOf(std::initializer_list<unsigned> values) {
    std::string s;
    for (const unsigned v : values)
        s += static_cast<char>(v);
    return s;
}

} // namespace

TEST(EncodingReference, EveryScalarValueThroughTheEncoder) {
    Sweep sweep(Encoding::Utf8);
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c == 0xD800)
            c = 0xE000;
        sweep.check(utf8Of(c));
    }
    for (const auto& [codePoint, bytes] : kJisVariants)
        EXPECT_TRUE(departuresMet().variants.count(codePoint))
            << std::hex << unsigned(codePoint) << " is no departure";
    for (const auto& [icu, ours] : kControlCodeSwap)
        EXPECT_TRUE(departuresMet().controls.count(icu))
            << hex(std::string(1, icu)) << " is no departure";
}

TEST(EncodingReference, JisTableCodePointsComeBackToMicrosoftsCodes) {
    // iconv, Java and macOS decode Shift_JIS and EUC-JP with the JIS tables, which put some
    // characters at other code points than Microsoft's table: a text such a decoder made comes
    // back to the codes it was made from, none of them 〓.
    const std::string sjis = "\\~" + sj("～∥－―￠￡￢");
    const std::string eucJp = *iconvRecode(sjis, "CP932", "EUC-JP-MS");
    for (const auto& [label, utf8] :
         {std::pair{"SHIFT_JIS", *iconvRecode(sjis, "SHIFT_JIS", "UTF-8")},
          std::pair{"EUC-JP", "\\~" + *iconvRecode(eucJp.substr(2), "EUC-JP", "UTF-8")}}) {
        EXPECT_NE(utf8, *iconvRecode(sjis, "CP932", "UTF-8"))
            << label << ": no JIS-table code points to test";
        const Decoded got = ToCodePage932(utf8, Encoding::Utf8);
        EXPECT_EQ(hex(got.bytes), hex(sjis)) << label;
        EXPECT_EQ(got.replaced, 0u) << label;
    }
}

TEST(EncodingReference, EveryCodePage932Code) {
    // The two-byte table behind the encoder and the JIS X 0208 decoding, against ICU's reading of
    // each code; single bytes beyond ASCII are the half-width katakana alone.
    const icu_detail::Converter decoder = icu_detail::open("windows-31j");
    std::size_t failures = 0;
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        for (unsigned trail = isLead ? 0x40 : 0x100; trail <= (isLead ? 0xFCu : 0x100u); ++trail) {
            const std::string code =
                isLead ? bytesOf({lead, trail}) : std::string(1, static_cast<char>(lead));
            UChar units[4];
            UErrorCode error = U_ZERO_ERROR;
            ucnv_reset(decoder.get());
            ucnv_setToUCallBack(decoder.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                                &error);
            const int32_t n = ucnv_toUChars(decoder.get(), units, 4, code.data(),
                                            static_cast<int32_t>(code.size()), &error);
            const char16_t icu = U_SUCCESS(error) && n == 1 ? units[0] : 0;
            char16_t table = 0;
            if (isLead)
                table = tables::codePage932Pair(static_cast<unsigned char>(lead),
                                                static_cast<unsigned char>(trail));
            else if (lead >= 0xA1 && lead <= 0xDF)
                table = static_cast<char16_t>(0xFF61 + lead - 0xA1);
            if (icu != table && ++failures <= 20)
                ADD_FAILURE() << hex(code) << ": table " << std::hex << +table << ", ICU " << +icu;
        }
    }
    EXPECT_EQ(failures, 0u);
}

TEST(EncodingReference, EveryUtf16CodeUnit) {
    for (const bool bigEndian : {false, true}) {
        Sweep sweep(bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le);
        const auto unit = [bigEndian](unsigned u) {
            return bigEndian ? bytesOf({u >> 8, u & 0xFF}) : bytesOf({u & 0xFF, u >> 8});
        };
        for (unsigned u = 0; u <= 0xFFFF; ++u) {
            sweep.check(unit(u));
            sweep.check(unit(u) + "z"); // an odd byte after it
            if (u >= 0xD800 && u <= 0xDFFF) {
                // Surrogates: with a partner of either kind after and before, and a character.
                sweep.check(unit(u) + unit(0xDC00));
                sweep.check(unit(u) + unit(0xDBFF));
                sweep.check(unit(0xD83D) + unit(u));
                sweep.check(unit(0xDE00) + unit(u));
                sweep.check(unit(u) + unit(0x3042));
            }
        }
    }
}

TEST(EncodingReference, Utf8SequencesWellFormedOrNot) {
    Sweep sweep(Encoding::Utf8);
    const unsigned probes[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                               0xC0, 0xC2, 0xE0, 0xED, 0xF0, 0xF4, 0xF5, 0xFF};
    for (unsigned a = 0x80; a <= 0xFF; ++a) {
        for (unsigned b = 0; b <= 0xFF; ++b) {
            sweep.check(bytesOf({a, b}));
            for (const unsigned c : probes) {
                sweep.check(bytesOf({a, b, c}));
                sweep.check(bytesOf({a, b, c, 0x80}));
            }
        }
    }
}

TEST(EncodingReference, EveryEucJpSequence) {
    Sweep sweep(Encoding::EucJp);
    for (unsigned a = 0x80; a <= 0xFF; ++a) {
        for (unsigned b = 0; b <= 0xFF; ++b) {
            sweep.check(bytesOf({a, b}));
            sweep.check(bytesOf({a, b, 'z'}));
            sweep.check(bytesOf({0x8F, a, b}));
            sweep.check(bytesOf({0x8F, a, b, 'z'}));
        }
    }
    // 12 cells of row 83 and 94 of row 84, each swept alone and before a letter.
    EXPECT_EQ(departuresMet().ibmRun, 2 * 106u) << "eucJP-ms's IBM run is no departure";
}

TEST(EncodingReference, EveryIso2022JpSet) {
    Sweep sweep(Encoding::Iso2022Jp);
    const std::string twoByteSets[] = {"\x1B$@",  "\x1B$B",  "\x1B$A",
                                       "\x1B$(C", "\x1B$(D", "\x1B&@\x1B$B"};
    const std::string oneByteSets[] = {"\x1B(B", "\x1B(J",      "\x1B(H",
                                       "\x1B(I", "\x1B.A\x1BN", "\x1B.F\x1BN"};
    for (const std::string& escape : twoByteSets)
        for (unsigned a = 0; a <= 0xFF; ++a)
            for (unsigned b = 0; b <= 0xFF; ++b)
                sweep.check(escape + bytesOf({a, b}) + "\x1B(Bz");
    for (const std::string& escape : oneByteSets)
        for (unsigned a = 0; a <= 0xFF; ++a)
            sweep.check(escape + bytesOf({a}) + "\x1B(Bz");

    // Every escape of up to three bytes after ESC, known or not, at the end of the text and
    // before an ASCII letter: how much of it one 〓 takes.
    for (const std::string after : {"", "z"}) {
        for (unsigned a = 0x20; a <= 0x7F; ++a) {
            sweep.check(bytesOf({0x1B, a}) + after);
            for (unsigned b = 0x20; b <= 0x7F; ++b) {
                sweep.check(bytesOf({0x1B, a, b}) + after);
                for (unsigned c = 0x20; c <= 0x7F; ++c)
                    sweep.check(bytesOf({0x1B, a, b, c}) + after);
            }
        }
    }

    // JIS X 0213, which ICU does not know (it reads the escape's tail and the pairs after it as
    // ASCII): plane 1 is read where JIS X 0208 (the system's EUC-JP) has the cell, as ICU reads
    // that cell under ESC $ B; every other cell, and all of plane 2, is a counted 〓.
    std::size_t plane1Read = 0;
    for (unsigned a = 0x21; a <= 0x7E; ++a) {
        for (unsigned b = 0x21; b <= 0x7E; ++b) {
            const std::string pair = bytesOf({a, b});
            const bool inJisX0208 =
                iconvToUtf16(bytesOf({a | 0x80, b | 0x80}), "EUC-JP").has_value();
            const Converted cell =
                inJisX0208 ? sweep.reference().convertRaw("\x1B$B" + pair) : Converted{kIcuGeta, 1};
            plane1Read += inJisX0208;
            for (const char* plane1 : {"\x1B$(Q", "\x1B$(O"})
                sweep.expect(plane1 + pair + "\x1B(Bz", {cell.bytes + "z", cell.replaced});
            sweep.expect("\x1B$(P" + pair + "\x1B(Bz", {kIcuGeta + "z", 1});
        }
    }
    EXPECT_EQ(plane1Read, 6879u); // JIS X 0208's characters
}

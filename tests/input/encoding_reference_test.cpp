// The decoders and the encoder held to ICU's converters, character by character over every code
// each encoding has: the same code page 932 bytes and the same count of 〓. The reference is ICU
// with the program's few deliberate departures from it, each an explicit table below; where ICU
// has no mapping at all (eucJP-ms's IBM rows), the system's iconv stands in. Any other difference
// fails.

#include "input/decoder_tables.h"
#include "input/encoding.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <iconv.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace input;
using testing_support::hex;

namespace {

const std::string kGeta = "\x81\xAC"; // 〓

// ICU's windows-31j is IBM's table 943, which exchanges three control codes; Microsoft's code page
// 932, which the program writes, keeps them where they are. ICU's byte -> the program's byte.
const std::map<char, char> kControlCodeSwap = {{'\x7F', '\x1A'}, {'\x1A', '\x1C'}, {'\x1C', '\x7F'}};

// Characters that the JIS mapping tables (iconv, Java, macOS) put at other code points than
// Microsoft's table does, and the two characters of JIS-Roman: windows-31j has no code for them
// (it would write 〓), the program writes the code of the same character in Microsoft's table.
const std::map<char32_t, std::string> kJisVariants = {
    {0x00A2, "\x81\x91"}, // ¢ as ￠
    {0x00A3, "\x81\x92"}, // £ as ￡
    {0x00A5, "\x5C"},     // ¥ of JIS-Roman
    {0x00A6, "\xFA\x55"}, // ¦ as ￤
    {0x00AC, "\x81\xCA"}, // ¬ as ￢
    {0x2014, "\x81\x5C"}, // — as ―
    {0x2016, "\x81\x61"}, // ‖ as ∥
    {0x203E, "\x7E"},     // ‾ of JIS-Roman
    {0x2212, "\x81\x7C"}, // − as －
    {0x301C, "\x81\x60"}, // 〜 as ～
};

// eucJP-ms puts the IBM extensions that JIS X 0212 lacks at 8F F3 F3 - 8F F4 FE, where ICU's EUC-JP
// has nothing; the program reads them as the system's EUC-JP-MS does.
bool isEucJpMsIbmRun(std::string_view sequence) {
    if (sequence.size() != 3 || sequence[0] != '\x8F')
        return false;
    const unsigned code = static_cast<unsigned char>(sequence[1]) << 8 |
                          static_cast<unsigned char>(sequence[2]);
    const unsigned cell = code & 0xFF;
    return code >= 0xF3F3 && code <= 0xF4FE && cell >= 0xA1 && cell <= 0xFE;
}

// Which departures the sweeps met: each table entry must be met at least once, or it is stale.
std::set<char32_t> g_variantsMet;
std::set<char> g_controlsMet;
std::size_t g_ibmRunMet = 0;

std::optional<std::u16string> iconvToUtf16(std::string_view bytes, const char* from) {
    const iconv_t cd = iconv_open("UTF-16LE", from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no converter from ") + from);
    std::string out(bytes.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(out.size() - dstLeft);
    std::u16string units;
    for (std::size_t i = 0; i + 1 < out.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(out[i]) |
                                       static_cast<unsigned char>(out[i + 1]) << 8);
    return units;
}

struct Result {
    std::string bytes;
    std::size_t replaced = 0;
    bool operator==(const Result&) const = default;
};

std::string describe(const Result& r) {
    return "[" + hex(r.bytes) + "] " + std::to_string(r.replaced) + " replaced";
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter open(const char* name) {
    UErrorCode error = U_ZERO_ERROR;
    Converter c(ucnv_open(name, &error));
    if (U_FAILURE(error))
        throw std::runtime_error(std::string("ICU lacks ") + name);
    return c;
}

bool isError(UConverterCallbackReason reason) {
    return reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR;
}

// What cannot be read is one U+FFFD (the program's contract: one 〓 for each), but for the
// eucJP-ms run.
void toUnicodeCallback(const void* context, UConverterToUnicodeArgs* args, const char* units,
                       int32_t length, UConverterCallbackReason reason, UErrorCode* error) {
    if (!isError(reason))
        return;
    std::u16string replacement = u"\uFFFD";
    const std::string_view sequence(units, static_cast<std::size_t>(length));
    if (*static_cast<const bool*>(context) && reason == UCNV_UNASSIGNED &&
        isEucJpMsIbmRun(sequence)) {
        const auto read = iconvToUtf16(sequence, "EUC-JP-MS");
        if (read && read->size() == 1) {
            replacement = *read;
            ++g_ibmRunMet;
        }
    }
    *error = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, reinterpret_cast<const UChar*>(replacement.data()),
                          static_cast<int32_t>(replacement.size()), 0, error);
}

// A character windows-31j has no code for: a JIS variant's code, else a counted 〓.
void fromUnicodeCallback(const void* context, UConverterFromUnicodeArgs* args, const UChar*,
                         int32_t, UChar32 codePoint, UConverterCallbackReason reason,
                         UErrorCode* error) {
    if (!isError(reason))
        return;
    std::string bytes = kGeta;
    if (const auto variant = kJisVariants.find(static_cast<char32_t>(codePoint));
        variant != kJisVariants.end()) {
        bytes = variant->second;
        g_variantsMet.insert(variant->first);
    } else {
        ++*static_cast<std::size_t*>(const_cast<void*>(context));
    }
    *error = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, bytes.data(), static_cast<int32_t>(bytes.size()), 0, error);
}

// ICU's reading of `bytes` in one encoding, written by windows-31j, with the departures above.
class Reference {
  public:
    explicit Reference(const char* name, bool eucJp = false)
        : m_decoder(open(name)), m_encoder(open("windows-31j")), m_eucJp(eucJp) {}

    Result convert(std::string_view bytes) {
        Result result;
        UErrorCode error = U_ZERO_ERROR;
        ucnv_resetToUnicode(m_decoder.get());
        ucnv_resetFromUnicode(m_encoder.get());
        ucnv_setToUCallBack(m_decoder.get(), toUnicodeCallback, &m_eucJp, nullptr, nullptr, &error);
        ucnv_setFromUCallBack(m_encoder.get(), fromUnicodeCallback, &result.replaced, nullptr,
                              nullptr, &error);
        char out[4096];
        char* target = out;
        const char* source = bytes.data();
        UChar pivot[1024];
        UChar* pivotSource = pivot;
        UChar* pivotTarget = pivot;
        ucnv_convertEx(m_encoder.get(), m_decoder.get(), &target, out + sizeof out, &source,
                       bytes.data() + bytes.size(), pivot, &pivotSource, &pivotTarget,
                       pivot + 1024, true, true, &error);
        if (U_FAILURE(error))
            throw std::runtime_error(std::string("ICU failed: ") + u_errorName(error));
        for (char* p = out; p != target; ++p) {
            if (const auto swap = kControlCodeSwap.find(*p); swap != kControlCodeSwap.end()) {
                g_controlsMet.insert(*p);
                *p = swap->second;
            }
        }
        result.bytes.assign(out, target);
        return result;
    }

  private:
    Converter m_decoder;
    Converter m_encoder;
    bool m_eucJp;
};

Result ours(std::string_view bytes, Encoding encoding) {
    const Decoded decoded = ToCodePage932(bytes, encoding);
    EXPECT_TRUE(decoded.converted);
    return {decoded.bytes, decoded.replaced};
}

// Compares every input; stops reporting after a few failures, but counts them all.
class Sweep {
  public:
    Sweep(const char* icuName, Encoding encoding, bool eucJp = false)
        : m_reference(icuName, eucJp), m_encoding(encoding) {}
    ~Sweep() { EXPECT_EQ(m_failures, 0u) << "inputs that differ from the reference"; }

    // The byte-order mark goes before either reads the text (the contract, not a departure).
    void check(std::string_view input) {
        std::string_view text = input;
        if ((m_encoding == Encoding::Utf8 && text.starts_with("\xEF\xBB\xBF")) ||
            (m_encoding == Encoding::Utf16Le && text.starts_with("\xFF\xFE")) ||
            (m_encoding == Encoding::Utf16Be && text.starts_with("\xFE\xFF")))
            text.remove_prefix(m_encoding == Encoding::Utf8 ? 3 : 2);
        expect(input, m_reference.convert(text));
    }

    void expect(std::string_view input, const Result& want) {
        const Result got = ours(input, m_encoding);
        if (got == want)
            return;
        if (++m_failures <= 20 || std::getenv("REFERENCE_ALL"))
            ADD_FAILURE() << "input [" << hex(input) << "]: ours " << describe(got)
                          << ", reference " << describe(want);
    }

    Reference& reference() { return m_reference; }

  private:
    Reference m_reference;
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
    Sweep sweep("UTF-8", Encoding::Utf8);
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c == 0xD800)
            c = 0xE000;
        sweep.check(utf8Of(c));
    }
    for (const auto& [codePoint, bytes] : kJisVariants)
        EXPECT_TRUE(g_variantsMet.count(codePoint)) << std::hex << unsigned(codePoint) << " is no departure";
    for (const auto& [icu, ours] : kControlCodeSwap)
        EXPECT_TRUE(g_controlsMet.count(icu)) << hex(std::string(1, icu)) << " is no departure";
}

TEST(EncodingReference, EveryCodePage932Code) {
    // The two-byte table behind the encoder and the JIS X 0208 decoding, against ICU's reading of
    // each code; single bytes beyond ASCII are the half-width katakana alone.
    const Converter decoder = open("windows-31j");
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
        Sweep sweep(bigEndian ? "UTF-16BE" : "UTF-16LE",
                    bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le);
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
    Sweep sweep("UTF-8", Encoding::Utf8);
    const unsigned probes[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xE0,
                               0xED, 0xF0, 0xF4, 0xF5, 0xFF};
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
    Sweep sweep("EUC-JP", Encoding::EucJp, true);
    for (unsigned a = 0x80; a <= 0xFF; ++a) {
        for (unsigned b = 0; b <= 0xFF; ++b) {
            sweep.check(bytesOf({a, b}));
            sweep.check(bytesOf({a, b, 'z'}));
            sweep.check(bytesOf({0x8F, a, b}));
            sweep.check(bytesOf({0x8F, a, b, 'z'}));
        }
    }
    // 12 cells of row 83 and 94 of row 84, each swept alone and before a letter.
    EXPECT_EQ(g_ibmRunMet, 2 * 106u) << "eucJP-ms's IBM run is no departure";
}

TEST(EncodingReference, EveryIso2022JpSet) {
    Sweep sweep("ISO-2022-JP-2", Encoding::Iso2022Jp);
    const std::string twoByteSets[] = {"\x1B$@", "\x1B$B", "\x1B$A", "\x1B$(C", "\x1B$(D",
                                       "\x1B&@\x1B$B"};
    const std::string oneByteSets[] = {"\x1B(B", "\x1B(J", "\x1B(H", "\x1B(I", "\x1B.A\x1BN",
                                       "\x1B.F\x1BN"};
    for (const std::string& escape : twoByteSets)
        for (unsigned a = 0x21; a <= 0x7E; ++a)
            for (unsigned b = 0x20; b <= 0x7F; ++b)
                sweep.check(escape + bytesOf({a, b}) + "\x1B(Bz");
    for (const std::string& escape : oneByteSets)
        for (unsigned a = 0; a <= 0xFF; ++a)
            sweep.check(escape + bytesOf({a}) + "\x1B(Bz");

    // JIS X 0213, which ICU does not know (it reads the escape's tail and the pairs after it as
    // ASCII): plane 1 is read where JIS X 0208 (the system's EUC-JP) has the cell, as ICU reads
    // that cell under ESC $ B; every other cell, and all of plane 2, is a counted 〓.
    std::size_t plane1Read = 0;
    for (unsigned a = 0x21; a <= 0x7E; ++a) {
        for (unsigned b = 0x21; b <= 0x7E; ++b) {
            const std::string pair = bytesOf({a, b});
            const bool inJisX0208 = iconvToUtf16(bytesOf({a | 0x80, b | 0x80}), "EUC-JP").has_value();
            const Result cell =
                inJisX0208 ? sweep.reference().convert("\x1B$B" + pair) : Result{kGeta, 1};
            plane1Read += inJisX0208;
            for (const char* plane1 : {"\x1B$(Q", "\x1B$(O"})
                sweep.expect(plane1 + pair + "\x1B(Bz", {cell.bytes + "z", cell.replaced});
            sweep.expect("\x1B$(P" + pair + "\x1B(Bz", {kGeta + "z", 1});
        }
    }
    EXPECT_EQ(plane1Read, 6879u); // JIS X 0208's characters
}

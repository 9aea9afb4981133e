// Detection and conversion to code page 932 on any bytes, for every encoding choice: detection
// never fails and names an encoding; the conversion agrees with ICU's (with the program's listed
// departures, tests/support/icu_reference.h), writes valid code page 932 of at most two bytes for
// each byte read, and counts a 〓 for every one it writes but those the text held as characters.
#include "fuzz_check.h"
#include "input/decoder_tables.h"
#include "input/encoding.h"
#include "support/icu_reference.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using input::Encoding;

bool isLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Whole characters of code page 932, each a code Microsoft's table assigns, and the number of 〓 in them.
bool isCodePage932(std::string_view text, std::size_t& getas) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (isLead(b)) {
            if (i + 1 == text.size())
                return false;
            const unsigned char trail = static_cast<unsigned char>(text[++i]);
            if (trail < 0x40 || trail > 0xFC || !input::tables::codePage932Pair(b, trail))
                return false;
            getas += b == 0x81 && trail == 0xAC;
        } else if (b == 0x80 || b == 0xA0 || b >= 0xFD) {
            return false;
        }
    }
    return true;
}

testing_support::IcuReference& referenceFor(Encoding encoding) {
    static testing_support::IcuReference utf8(Encoding::Utf8), utf16Le(Encoding::Utf16Le),
        utf16Be(Encoding::Utf16Be), eucJp(Encoding::EucJp), iso2022Jp(Encoding::Iso2022Jp);
    switch (encoding) {
    case Encoding::Utf8:
        return utf8;
    case Encoding::Utf16Le:
        return utf16Le;
    case Encoding::Utf16Be:
        return utf16Be;
    case Encoding::EucJp:
        return eucJp;
    default:
        return iso2022Jp;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Encoding detected = input::DetectEncoding(bytes);
    FUZZ_CHECK(detected != Encoding::Auto);

    for (const Encoding choice :
         {Encoding::Auto, Encoding::ShiftJis, Encoding::Utf8, Encoding::Utf16Le, Encoding::Utf16Be,
          Encoding::EucJp, Encoding::Iso2022Jp}) {
        const input::Decoded got = input::ToCodePage932(bytes, choice);
        const Encoding encoding = choice == Encoding::Auto ? detected : choice;
        if (encoding == Encoding::ShiftJis) {
            FUZZ_CHECK(!got.converted && got.bytes.empty() && got.replaced == 0);
            continue;
        }
        FUZZ_CHECK(got.converted);
        // A readable form takes at most 12 bytes for a character of at least two.
        FUZZ_CHECK(got.bytes.size() <= 6 * size);
        FUZZ_CHECK(got.replaced <= size);
        std::size_t getas = 0;
        FUZZ_CHECK(isCodePage932(got.bytes, getas));
        FUZZ_CHECK(getas >= got.replaced);
        const testing_support::Converted want = referenceFor(encoding).convert(bytes);
        FUZZ_CHECK(got.bytes == want.bytes);
        FUZZ_CHECK(got.replaced == want.replaced);
    }
    return 0;
}

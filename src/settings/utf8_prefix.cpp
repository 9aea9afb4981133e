#include "utf8_prefix.h"

namespace settings {
namespace {

bool InRange(unsigned c, unsigned low, unsigned high) {
    return c >= low && c <= high;
}

// Length of the well-formed UTF-8 sequence at `pos`, or 1 when the byte there does not start
// one. The second byte's range depends on the lead byte, which rules out overlong forms,
// surrogates and code points above U+10FFFF:
//   C2-DF 80-BF | E0 A0-BF 80-BF | E1-EC,EE-EF 80-BF 80-BF | ED 80-9F 80-BF
//   F0 90-BF 80-BF 80-BF | F1-F3 80-BF 80-BF 80-BF | F4 80-8F 80-BF 80-BF
std::size_t SequenceLengthAt(std::string_view bytes, std::size_t pos) {
    const auto at = [&](std::size_t i) {
        return pos + i < bytes.size() ? unsigned{static_cast<unsigned char>(bytes[pos + i])} : 0u;
    };
    const unsigned lead = at(0);
    std::size_t length = 1;
    unsigned secondLow = 0x80;
    unsigned secondHigh = 0xBF;
    if (InRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0;
        else if (lead == 0xED)
            secondHigh = 0x9F;
    } else if (InRange(lead, 0xF0, 0xF4)) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90;
        else if (lead == 0xF4)
            secondHigh = 0x8F;
    } else {
        return 1;
    }
    if (!InRange(at(1), secondLow, secondHigh))
        return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if (!InRange(at(i), 0x80, 0xBF))
            return 1;
    }
    return length;
}

} // namespace

std::string_view Utf8PrefixWithin(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.size() <= maxBytes)
        return bytes;
    std::size_t end = 0;
    while (end < bytes.size()) {
        const std::size_t length = SequenceLengthAt(bytes, end);
        if (end + length > maxBytes)
            break;
        end += length;
    }
    return bytes.substr(0, end);
}

} // namespace settings

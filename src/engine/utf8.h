#pragma once
// Well-formed UTF-8, for every pass that tells UTF-8 apart from other bytes (detection, decoding,
// cutting a setting short), so that they all agree on what a UTF-8 character is.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// How the bytes at index i fit a UTF-8 sequence: the length its first byte announces (1 for ASCII,
// 0 for a byte that starts none: 80-C1, F5-FF) and how many bytes from i fit it, at most that
// length. A sequence is well-formed when all of them fit; otherwise the fitting bytes are the
// longest start of one (the "maximal subpart"), which a decoder replaces by one U+FFFD.
//
// The second byte's range depends on the first, which rules out overlong forms, surrogates and
// code points above U+10FFFF:
//   00-7F | C2-DF 80-BF | E0 A0-BF 80-BF | E1-EC,EE-EF 80-BF 80-BF | ED 80-9F 80-BF
//   F0 90-BF 80-BF 80-BF | F1-F3 80-BF 80-BF 80-BF | F4 80-8F 80-BF 80-BF
struct Utf8Fit {
    std::size_t length;
    std::size_t fitting;
};

constexpr Utf8Fit utf8FitAt(std::string_view bytes, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return {1, 1};
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return {0, 0};
    }
    std::size_t fitting = 1;
    for (; fitting < length && i + fitting < bytes.size(); ++fitting) {
        const unsigned char trail = at(fitting);
        if (trail < low || trail > high)
            break;
        low = 0x80;
        high = 0xBF;
    }
    return {length, fitting};
}

// The length of the well-formed UTF-8 sequence starting at index i, 0 when none starts there (an
// ill-formed byte, or a sequence cut short by another byte or by the end).
constexpr std::size_t utf8SequenceLength(std::string_view bytes, std::size_t i) {
    const Utf8Fit fit = utf8FitAt(bytes, i);
    return fit.fitting == fit.length ? fit.length : 0;
}

// A Unicode scalar value as UTF-8.
inline std::string Utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

} // namespace engine

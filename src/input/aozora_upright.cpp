#include "input/aozora_upright.h"

#include "engine/sjis.h"

namespace input::aozora {

namespace {

constexpr std::string_view kUpright = "\x8F\x63\x92\x86\x89\xA1"; // 縦中横
constexpr std::string_view kUprightEnd =
    "\x8F\x63\x92\x86\x89\xA1\x8F\x49\x82\xED\x82\xE8";        // 縦中横終わり
constexpr std::string_view kOpenQuote = "\x81\x75";            // 「
constexpr std::string_view kCloseQuoteWa = "\x81\x76\x82\xCD"; // 」は

// The half-width form of the character at i, 0 when it has none.
char halfWidthAt(std::string_view s, std::size_t i) {
    const unsigned char b = engine::byteAt(s, i);
    if (b >= 0x21 && b <= 0x7E)
        return static_cast<char>(b);
    if (i + 1 >= s.size())
        return 0;
    const unsigned char second = engine::byteAt(s, i + 1);
    if (b == 0x82) {
        if (second >= 0x4F && second <= 0x58) // ０-９
            return static_cast<char>('0' + (second - 0x4F));
        if (second >= 0x60 && second <= 0x79) // Ａ-Ｚ
            return static_cast<char>('A' + (second - 0x60));
        if (second >= 0x81 && second <= 0x9A) // ａ-ｚ
            return static_cast<char>('a' + (second - 0x81));
    }
    if (b == 0x81 && second == 0x49)
        return '!';
    if (b == 0x81 && second == 0x48)
        return '?';
    return 0;
}

} // namespace

UprightNote uprightNote(std::string_view body) {
    if (body == kUpright)
        return {UprightNote::Open, {}};
    if (body == kUprightEnd)
        return {UprightNote::Close, {}};
    if (body.starts_with(kOpenQuote) && body.ends_with(kUpright)) {
        const std::string_view quoted =
            body.substr(kOpenQuote.size(), body.size() - kOpenQuote.size() - kUpright.size());
        if (quoted.ends_with(kCloseQuoteWa))
            return {UprightNote::Named, quoted.substr(0, quoted.size() - kCloseQuoteWa.size())};
    }
    return {};
}

std::string uprightPair(std::string_view chars) {
    std::string pair(1, engine::kPairCellMark);
    for (std::size_t i = 0; i < chars.size(); i += engine::charLengthAt(chars, i)) {
        const char half = halfWidthAt(chars, i);
        if (half == 0 || pair.size() == engine::kPairCellBytes)
            return {};
        pair.push_back(half);
    }
    return pair.size() == engine::kPairCellBytes ? pair : std::string();
}

} // namespace input::aozora

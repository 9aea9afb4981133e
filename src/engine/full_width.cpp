#include "full_width.h"

#include <array>

namespace engine {
namespace {

// 64 two-byte characters; entry k is the full-width form of the byte 0xA0 + k.
constexpr std::string_view kKanaTable =
    "\x81\x40\x81\x42\x81\x75\x81\x76\x81\x41\x81\x45\x83\x92\x83\x40"  //　。「」、・ヲァ
    "\x83\x42\x83\x44\x83\x46\x83\x48\x83\x83\x83\x85\x83\x87\x83\x62"  // ィゥェォャュョッ
    "\x81\x5b\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4a\x83\x4c"  // ーアイウエオカキ
    "\x83\x4e\x83\x50\x83\x52\x83\x54\x83\x56\x83\x58\x83\x5a\x83\x5c"  // クケコサシスセソ
    "\x83\x5e\x83\x60\x83\x63\x83\x65\x83\x67\x83\x69\x83\x6a\x83\x6b"  // タチツテトナニヌ
    "\x83\x6c\x83\x6d\x83\x6e\x83\x71\x83\x74\x83\x77\x83\x7a\x83\x7d"  // ネノハヒフヘホマ
    "\x83\x7e\x83\x80\x83\x81\x83\x82\x83\x84\x83\x86\x83\x88\x83\x89"  // ミムメモヤユヨラ
    "\x83\x8a\x83\x8b\x83\x8c\x83\x8d\x83\x8f\x83\x93\x81\x4a\x81\x4b"; // リルレロワン゛゜
static_assert(kKanaTable.size() == 128);

// Full-width forms of 0x20-0x7E. Digits and letters follow their JIS rows; the rest are listed.
constexpr std::array<std::array<char, 2>, 95> makeAsciiTable() {
    std::array<std::array<char, 2>, 95> t{};
    constexpr const char* symbols[] = {"\x81\x40", "\x81\x49", "\x81\x68", "\x81\x94", "\x81\x90",
                                       "\x81\x93", "\x81\x95", "\x81\x66", "\x81\x69", "\x81\x6a",
                                       "\x81\x96", "\x81\x7b", "\x81\x43", "\x81\x5d", "\x81\x44",
                                       "\x81\x5e"}; // 0x20-0x2F (0x2D never reaches here: the layout makes it "｜")
    for (int i = 0; i < 16; ++i)
        t[i] = {symbols[i][0], symbols[i][1]};
    for (int d = 0; d < 10; ++d)
        t[0x30 - 0x20 + d] = {'\x82', static_cast<char>(0x4F + d)};
    constexpr const char* punct1[] = {"\x81\x46", "\x81\x47", "\x81\x83", "\x81\x81",
                                      "\x81\x84", "\x81\x48", "\x81\x97"}; // 0x3A-0x40
    for (int i = 0; i < 7; ++i)
        t[0x3A - 0x20 + i] = {punct1[i][0], punct1[i][1]};
    for (int c = 0; c < 26; ++c) {
        t[0x41 - 0x20 + c] = {'\x82', static_cast<char>(0x60 + c)};
        t[0x61 - 0x20 + c] = {'\x82', static_cast<char>(0x81 + c)};
    }
    constexpr const char* punct2[] = {"\x81\x6d", "\x81\x8f", "\x81\x6e",
                                      "\x81\x4f", "\x81\x51", "\x81\x65"}; // 0x5B-0x60
    for (int i = 0; i < 6; ++i)
        t[0x5B - 0x20 + i] = {punct2[i][0], punct2[i][1]};
    constexpr const char* punct3[] = {"\x81\x6f", "\x81\x62", "\x81\x70", "\x81\x50"}; // 0x7B-0x7E
    for (int i = 0; i < 4; ++i)
        t[0x7B - 0x20 + i] = {punct3[i][0], punct3[i][1]};
    return t;
}

constexpr auto kAsciiTable = makeAsciiTable();

} // namespace

std::string_view fullWidthAscii(unsigned char b) {
    return {kAsciiTable[b - 0x20].data(), 2};
}

std::string_view fullWidthKana(unsigned char b) {
    return kKanaTable.substr(2 * (b - 0xA0), 2);
}

} // namespace engine

#include "input/aozora_marks.h"

#include <algorithm>
#include <array>

namespace input::aozora {

namespace {

constexpr std::string_view kWarichu = "\x8A\x84\x82\xE8\x92\x8D"; // 割り注
constexpr std::string_view kWarichuEnd =
    "\x8A\x84\x82\xE8\x92\x8D\x8F\x49\x82\xED\x82\xE8";  // 割り注終わり
constexpr std::string_view kKaigyo = "\x89\xFC\x8D\x73"; // 改行
constexpr std::string_view kParenOpen = "\x81\x69";      // （
constexpr std::string_view kParenClose = "\x81\x6A";     // ）
constexpr std::string_view kTortoiseOpen = "\x81\x6B";   // 〔
constexpr std::string_view kTortoiseClose = "\x81\x6C";  // 〕
// A combined mark is two of these (一レ); three or more is no 返り点.
constexpr std::size_t kMaxReturnMarks = 2;

constexpr std::array<std::string_view, 14> kReturnMarks = {
    "\x83\x8C", // レ
    "\x88\xEA", // 一
    "\x93\xF1", // 二
    "\x8E\x4F", // 三
    "\x8E\x6C", // 四
    "\x8F\xE3", // 上
    "\x92\x86", // 中
    "\x89\xBA", // 下
    "\x8D\x62", // 甲
    "\x89\xB3", // 乙
    "\x95\xB8", // 丙
    "\x93\x56", // 天
    "\x92\x6E", // 地
    "\x90\x6C", // 人
};

bool isReturnMark(std::string_view ch) {
    return std::find(kReturnMarks.begin(), kReturnMarks.end(), ch) != kReturnMarks.end();
}

// Full-width katakana ァ..ヶ (0x83 0x40..0x96) and ー.
bool isKatakana(std::string_view ch) {
    if (ch == "\x81\x5B")
        return true;
    return ch.size() == 2 && static_cast<unsigned char>(ch[0]) == 0x83 &&
           static_cast<unsigned char>(ch[1]) >= 0x40 && static_cast<unsigned char>(ch[1]) <= 0x96;
}

// Every two-byte unit of `s` passes `test`; the marks and kana are all two-byte characters, so a
// body of any other shape is no kanbun note.
template <typename Test> bool allPairs(std::string_view s, Test test) {
    if (s.empty() || s.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < s.size(); i += 2)
        if (!test(s.substr(i, 2)))
            return false;
    return true;
}

} // namespace

std::string kanbunText(std::string_view body) {
    if (body.size() <= 2 * kMaxReturnMarks && allPairs(body, isReturnMark))
        return std::string(kTortoiseOpen) + std::string(body) + std::string(kTortoiseClose);
    if (body.starts_with(kParenOpen) && body.ends_with(kParenClose) && body.size() > 4) {
        const std::string_view kana = body.substr(2, body.size() - 4);
        if (allPairs(kana, isKatakana))
            return std::string(kana);
    }
    return {};
}

WarichuNote warichuNote(std::string_view body) {
    if (body == kWarichu)
        return WarichuNote::Open;
    if (body == kWarichuEnd)
        return WarichuNote::Close;
    if (body == kKaigyo)
        return WarichuNote::LineBreak;
    return WarichuNote::None;
}

} // namespace input::aozora

#pragma once
// The notes ［＃…］ that put characters of their own into the text rather than take them out:
// kanbun reading marks and the brackets of a 割り注. A body is the code page 932 bytes between ［＃
// and ］.

#include <string>
#include <string_view>

namespace input::aozora {

// What a kanbun note leaves after its kanji, empty when the note is none. A 返り点 (レ 一 二 三 四
// 上 中 下 甲 乙 丙 天 地 人, alone or combined as 一レ 上レ) is set in 〔〕 so that a reader cannot take it
// for a numeral or for text; 訓点送り仮名 （ス） is its katakana as written.
std::string kanbunText(std::string_view body);

enum class WarichuNote {
    None,
    Open,      // 割り注
    Close,     // 割り注終わり
    LineBreak, // 改行, a break inside a 割り注
};
WarichuNote warichuNote(std::string_view body);

} // namespace input::aozora

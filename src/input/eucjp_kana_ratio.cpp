// Whether a text that is valid as both EUC-JP and code page 932 is EUC-JP, for DetectEncoding.

#include "engine/sjis.h"

#include <cstddef>
#include <string_view>

namespace input {

// Japanese prose in EUC-JP is full of kana, whose rows 4 (hiragana) and 5 (katakana) start with
// A4 and A5, while the same bytes as Shift_JIS are kanji and half-width katakana. Only a clear
// verdict moves a text off code page 932, where it has always been read: more than ten two-byte
// characters, over a third of them kana.
bool eucJpOutweighsShiftJis(std::string_view sample) {
    std::size_t twoByte = 0;
    std::size_t kana = 0;
    for (std::size_t i = 0; i < sample.size();) {
        const unsigned char b = engine::byteAt(sample, i);
        if (b < 0x80) {
            ++i;
        } else if (b == 0x8F) {
            ++twoByte;
            i += 3;
        } else {
            ++twoByte;
            if (b == 0xA4 || b == 0xA5)
                ++kana;
            i += 2;
        }
    }
    return twoByte > 10 && kana * 3 > twoByte;
}

} // namespace input

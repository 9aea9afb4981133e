// 縦中横: two half-width characters in one cell; anything else stays as written.
#include "input/aozora_notation.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <string>

using namespace input;
using namespace testing_support;

namespace {

std::string removed(const std::string& in) {
    return RemoveAozoraNotation(in, Ruby::Drop).text;
}

const std::string kPair = "\x1F";

} // namespace

TEST(AozoraUpright, NamedTextBeforeTheNote) {
    EXPECT_EQ(hex(removed(sj("明治12［＃「12」は縦中横］年"))),
              hex(sj("明治") + kPair + "12" + sj("年")));
    EXPECT_EQ(hex(removed(sj("なに!?［＃「!?」は縦中横］"))), hex(sj("なに") + kPair + "!?"));
    // Full-width digits and letters take their half-width forms.
    EXPECT_EQ(hex(removed(sj("第１２［＃「１２」は縦中横］回"))),
              hex(sj("第") + kPair + "12" + sj("回")));
    EXPECT_EQ(hex(removed(sj("ＡＢ［＃「ＡＢ」は縦中横］"))), hex(kPair + "AB"));
    // Three characters, one, or a kanji do not fit a cell as a pair: the text stays.
    EXPECT_EQ(hex(removed(sj("606［＃「606」は縦中横］"))), hex(sj("606")));
    EXPECT_EQ(hex(removed(sj("5［＃「5」は縦中横］"))), hex(sj("5")));
    EXPECT_EQ(hex(removed(sj("十二［＃「十二」は縦中横］"))), hex(sj("十二")));
    // The named text must be what stands before the note, whole characters of this line.
    EXPECT_EQ(hex(removed(sj("12あ［＃「12」は縦中横］"))), hex(sj("12あ")));
    EXPECT_EQ(hex(removed(sj("12\n［＃「12」は縦中横］あ"))), hex(sj("12\nあ")));
    // "A" ends ア (0x83 0x41): ア and B are no "AB".
    EXPECT_EQ(hex(removed(sj("アB［＃「AB」は縦中横］"))), hex(sj("アB")));
}

TEST(AozoraUpright, OpenAndCloseNotes) {
    EXPECT_EQ(hex(removed(sj("［＃縦中横］10［＃縦中横終わり］月"))), hex(kPair + "10" + sj("月")));
    EXPECT_EQ(hex(removed(sj("［＃縦中横］100［＃縦中横終わり］"))), hex(sj("100")));
    // Unclosed on its line: nothing is made of it.
    EXPECT_EQ(hex(removed(sj("［＃縦中横］10\n20［＃縦中横終わり］"))), hex(sj("10\n20")));
}

TEST(AozoraUpright, MarkOfTheSourceGoes) {
    // A byte that would read as our mark is no text of the book.
    EXPECT_EQ(hex(removed("a\x1F"
                          "12")),
              hex("a12"));
}

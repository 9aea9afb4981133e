// Kanbun: 返り点 stay after their kanji in 〔〕, 訓点送り仮名 as their katakana, so the kundoku order
// can be followed.
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

} // namespace

TEST(AozoraKanbun, ReturnMarksInTortoiseShells) {
    EXPECT_EQ(hex(removed(sj("嚴寒勉［＃レ］學坐［＃二］深宵［＃一］。"))),
              hex(sj("嚴寒勉〔レ〕學坐〔二〕深宵〔一〕。")));
    EXPECT_EQ(hex(removed(sj("不［＃二］以［＃一レ］人［＃上レ］廢［＃下］言"))),
              hex(sj("不〔二〕以〔一レ〕人〔上レ〕廢〔下〕言")));
    for (const char* mark : {"三", "四", "上", "中", "下", "甲", "乙", "丙", "天", "地", "人"})
        EXPECT_EQ(hex(removed(sj(std::string("字［＃") + mark + "］"))),
                  hex(sj(std::string("字〔") + mark + "〕")))
            << mark;
}

TEST(AozoraKanbun, ReadingKanaAfterTheirKanji) {
    EXPECT_EQ(hex(removed(sj("學［＃（ブ）］而時［＃（ニ）］習［＃（フ）］［＃レ］之"))),
              hex(sj("學ブ而時ニ習フ〔レ〕之")));
    EXPECT_EQ(hex(removed(sj("有［＃（リ）］朋［＃（ノ）］自［＃（リ）］遠方［＃（カラ）］"))),
              hex(sj("有リ朋ノ自リ遠方カラ")));
}

TEST(AozoraKanbun, OtherNotesAreNoMarks) {
    EXPECT_EQ(hex(removed(sj("一［＃「一」は中見出し］"))), hex(sj("一")));
    EXPECT_EQ(hex(removed(sj("字［＃一二三］"))), hex(sj("字")));         // three marks
    EXPECT_EQ(hex(removed(sj("字［＃（すこし）］"))), hex(sj("字")));     // hiragana
    EXPECT_EQ(hex(removed(sj("字［＃（ママ）は底本］"))), hex(sj("字"))); // no closing ）
    EXPECT_EQ(hex(removed(sj("字［＃（）］"))), hex(sj("字")));
    EXPECT_EQ(hex(removed(sj("字［＃五］"))), hex(sj("字")));
}

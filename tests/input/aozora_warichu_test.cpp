// 割り注: set in （）, or 〔〕 when its own text holds parentheses; ［＃改行］ inside it is a space.
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

TEST(AozoraWarichu, SetInParentheses) {
    EXPECT_EQ(hex(removed(sj("智に臥龍［＃割り注］孔明の事なり［＃割り注終わり］勇に"))),
              hex(sj("智に臥龍（孔明の事なり）勇に")));
    EXPECT_EQ(hex(removed(sj("一、［＃割り注］直助［＃改行］権兵衛［＃割り注終わり］の事"))),
              hex(sj("一、（直助　権兵衛）の事")));
}

TEST(AozoraWarichu, TortoiseShellsWhenItHoldsParentheses) {
    EXPECT_EQ(hex(removed(sj("註［＃割り注］地、は『神曲（地獄篇）』の略［＃割り注終わり］だ"))),
              hex(sj("註〔地、は『神曲（地獄篇）』の略〕だ")));
    EXPECT_EQ(hex(removed(sj("甲［＃割り注］a(b)［＃割り注終わり］乙"))), hex(sj("甲〔a(b)〕乙")));
    // Parentheses after the 割り注 are not its own.
    EXPECT_EQ(hex(removed(sj("甲［＃割り注］乙［＃割り注終わり］（丙）"))),
              hex(sj("甲（乙）（丙）")));
}

TEST(AozoraWarichu, TextsOwnParenthesesFrameIt) {
    EXPECT_EQ(hex(removed(sj("影響。（［＃割り注］日本文學講座［＃割り注終わり］）"))),
              hex(sj("影響。（日本文學講座）")));
    // Only a frame on both sides counts; a frame seen through another note leaves no stray byte.
    EXPECT_EQ(hex(removed(sj("（［＃割り注］甲"))), hex(sj("（（甲）")));
    EXPECT_EQ(hex(removed(sj("（［＃割り注］甲［＃「［＃割り注終わり］）」に傍点］"))),
              hex(sj("（甲")));
    EXPECT_EQ(hex(removed(sj("（［＃割り注］甲［＃割り注終わり］乙）"))), hex(sj("（（甲）乙）")));
}

TEST(AozoraWarichu, ClosedOnItsLineAndBreaksOnlyInside) {
    EXPECT_EQ(hex(removed(sj("甲［＃割り注］乙\n丙［＃割り注終わり］丁"))),
              hex(sj("甲（乙）\n丙丁")));
    EXPECT_EQ(hex(removed(sj("甲［＃改行］乙"))), hex(sj("甲乙")));
    EXPECT_EQ(hex(removed(sj("甲［＃割り注終わり］乙"))), hex(sj("甲乙")));
    // A second opening inside an open one adds no bracket.
    EXPECT_EQ(hex(removed(sj("［＃割り注］甲［＃割り注］乙［＃割り注終わり］"))),
              hex(sj("（甲乙）")));
}

// ここからN字下げ、折り返してM字下げ and ここから改行天付き、折り返してM字下げ: a line's first column
// starts N cells down (0 for 改行天付き), its further columns M cells down.
#include "engine/text_normalization.h"
#include "input/aozora_notation.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace input;
using namespace testing_support;

namespace {

// Columns of 7 cells, packed pages, every source line a column of its own.
std::string laidOut(const std::string& source) {
    AozoraText text = RemoveAozoraNotation(source, Ruby::Drop);
    text.text += "\xFF";
    engine::NoEventPump pump;
    engine::NormalizeVerse(engine::MakePageGeometry(3, 1, 2), text.text, pump, text.lines, true);
    return text.text;
}

std::string columns(const std::vector<std::string>& utf8Columns) {
    std::string text;
    for (const std::string& c : utf8Columns)
        text += sj(c);
    return text + "\xFF";
}

} // namespace

TEST(AozoraHangingIndent, FurtherColumnsStartAtTheWrapIndent) {
    EXPECT_EQ(
        hex(laidOut(sj("［＃ここから１字下げ、折り返して２字下げ］\n一、一二三四五六七八九十\n"
                       "二、短い\n［＃ここで字下げ終わり］\n後"))),
        hex(columns(
            {"　一、一二三四", "　　五六七八九", "　　十　　　　", "　二、短い　　", "後"})));
    // Indented less on the further columns than on the first.
    EXPECT_EQ(hex(laidOut(sj("［＃ここから３字下げ、折り返して１字下げ］\n一二三四五六\n"
                             "［＃ここで字下げ終わり］"))),
              hex(columns({"　　　一二三四", "　五六　　　　", ""})));
}

TEST(AozoraHangingIndent, TopAlignedFirstColumn) {
    EXPECT_EQ(hex(laidOut(sj("前\n［＃ここから改行天付き、折り返して２字下げ］\n"
                             "一二三四五六七八九十\n［＃ここで字下げ終わり］\n後"))),
              hex(columns({"前　　　　　　", "一二三四五六七", "　　八九十　　", "後"})));
}

TEST(AozoraHangingIndent, BlocksAndLineIndentsAround) {
    // Full-width two-digit amounts: an indent past the column keeps one cell for the text; the
    // rest of the note (字詰め) does not hide the wrap.
    EXPECT_EQ(hex(laidOut(
                  sj("［＃ここから１字下げ、折り返して１２字下げ、２１字詰め］\n一二三四五六七八\n"
                     "［＃ここで字下げ終わり］"))),
              hex(columns({"　一二三四五六", "　　　　　　七", "　　　　　　八"})));
    // A line indent beats the block for all its columns; the block's end gives back the outer
    // plain block, whose columns all start two cells down.
    EXPECT_EQ(
        hex(laidOut(sj("［＃ここから２字下げ］\n［＃ここから改行天付き、折り返して１字下げ］\n"
                       "［＃３字下げ］一二三四五\n［＃ここで字下げ終わり］\n一二三四五六\n"
                       "［＃ここで字下げ終わり］"))),
        hex(columns({"　　　一二三四", "　　　五　　　", "　　一二三四五", "　　六　　　　", ""})));
}

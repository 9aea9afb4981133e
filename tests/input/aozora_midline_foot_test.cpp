// ［＃地付き］ and ［＃地からN字上げ］ in mid-line: the text before the note stays where it is, the
// text after it goes to the foot of the same column, N cells up, or of the next column when it
// does not fit in what is left.
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

TEST(AozoraMidlineFoot, RestGoesToTheFootOfTheSameColumn) {
    // The text before keeps its indent; the next line starts a column of its own.
    EXPECT_EQ(hex(laidOut(sj("［＃２字下げ］桃［＃地から１字上げ］久\n次"))),
              hex(columns({"　　桃　　久　", "次"})));
    // A verse line and its number at the foot (the 縦中横 note after it goes as ever).
    EXPECT_EQ(hex(laidOut(sj("中より［＃地付き］５［＃「５」は縦中横］\n次"))),
              hex(columns({"中より　　　５", "次"})));
    // Filling the column exactly.
    EXPECT_EQ(hex(laidOut(sj("一二三四五［＃地付き］六七\n次"))),
              hex(columns({"一二三四五六七", "次"})));
}

TEST(AozoraMidlineFoot, RestThatDoesNotFitGoesToTheNextColumn) {
    EXPECT_EQ(hex(laidOut(sj("一二三四五六［＃地付き］七八\n次"))),
              hex(columns({"一二三四五六　", "　　　　　七八", "次"})));
    EXPECT_EQ(hex(laidOut(sj("一二［＃地から１字上げ］三四五六七八\n次"))),
              hex(columns({"一二　　　　　", "三四五六七八　", "次"})));
    // The text before fills its column: the next column is the rest's alone, its indent unused.
    EXPECT_EQ(hex(laidOut(sj("［＃２字下げ］一二三四五［＃地付き］六七八九十百\n次"))),
              hex(columns({"　　一二三四五", "　六七八九十百", "次"})));
    // Longer than a column: it runs on from the next column's top, its further columns indented
    // as the line's.
    EXPECT_EQ(hex(laidOut(
                  sj("［＃ここから１字下げ、折り返して２字下げ］\n一［＃地付き］二三四五六七八九\n"
                     "［＃ここで字下げ終わり］"))),
              hex(columns({"　一　　　　　", "　　二三四五六", "　　七八九　　", ""})));
}

TEST(AozoraMidlineFoot, NoteAtTheLineStartOrEndMovesTheWholeLineOrNothing) {
    EXPECT_EQ(hex(laidOut(sj("前\n［＃地付き］署名\n次"))),
              hex(columns({"前　　　　　　", "　　　　　署名", "次"})));
    EXPECT_EQ(hex(laidOut(sj("［＃２字下げ］［＃地から１字上げ］署名\n次"))),
              hex(columns({"　　　　署名　", "次"})));
    EXPECT_EQ(hex(laidOut(sj("本文［＃地付き］\n次"))), hex(columns({"本文　　　　　", "次"})));
    // A second foot note in the line adds nothing to the first.
    EXPECT_EQ(hex(laidOut(sj("甲［＃地付き］乙［＃地付き］丙\n次"))),
              hex(columns({"甲　　　　乙丙", "次"})));
}

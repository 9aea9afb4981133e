// What the notation leaves behind that is not text: the explanation block however its heading is
// worded, notes that quote a bracket, TAB and FF.
#include "input/aozora_notation.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <string>

using namespace input;
using namespace testing_support;

namespace {

const std::string kRule = std::string(49, '-');

std::string removed(const std::string& in) {
    return RemoveAozoraNotation(in, Ruby::Drop).text;
}

} // namespace

TEST(AozoraLeftovers, ExplanationBlockFoundByItsFrameAndWord) {
    const std::string body = sj("《》：ルビ\n（例）吾輩《わがはい》\n");
    for (const char* heading :
         {"《テキスト中に現れる記号について》", "［表記について］",
          "【テキスト中に現われる記号について】", "【テキス中に現れる記号について】"}) {
        const std::string in = sj("題名\n作者\n\n") + kRule + "\n" + sj(heading) + "\n" + body +
                               kRule + sj("\n本文\n");
        EXPECT_EQ(hex(removed(in)), hex(sj("題名\n作者\n\n本文\n"))) << heading;
    }
    // A framed block that names neither is text of the book.
    const std::string framed = kRule + sj("\n目次\n一　序\n") + kRule + sj("\n本文\n");
    EXPECT_EQ(hex(removed(framed)), hex(framed));
    // The word's bytes straddling two characters (0x81 0x8B, L, 0x8D 0x86) are no word.
    const std::string split = kRule + "\n\x81\x8B\x4C\x8D\x86\n" + kRule + "\n";
    EXPECT_EQ(removed(split).find(kRule), 0u);
}

TEST(AozoraLeftovers, NoteQuotingABracketIsMatchedWhole) {
    EXPECT_EQ(hex(removed(sj("甲［乙［＃「［」は底本では「（」］丙"))), hex(sj("甲［乙丙")));
    EXPECT_EQ(hex(removed(sj("甲］乙［＃「］」はママ］丙"))), hex(sj("甲］乙丙")));
    // The quoted bracket does not close an outer note early, nor open one that swallows text.
    EXPECT_EQ(hex(removed(sj("［＃「［」は縦中横］本文］"))), hex(sj("本文］")));
    // A bracket that is text of the line still pairs as before.
    EXPECT_EQ(hex(removed(sj("［１］［＃「［１］」は縦中横］"))), hex(sj("［１］")));
}

TEST(AozoraLeftovers, TabBecomesAFullWidthSpaceFormFeedGoes) {
    // A line that held nothing but a form feed goes, as a line of notes does.
    EXPECT_EQ(hex(removed(sj("甲\t乙\f丙\n\f\n\t"))), hex(sj("甲　乙丙\n　")));
    EXPECT_EQ(hex(removed(sj("甲《こう》\t"))), hex(sj("甲　")));
    const std::string ruby = RemoveAozoraNotation(sj("甲《\tこう》"), Ruby::Parentheses).text;
    EXPECT_EQ(hex(ruby), hex(sj("甲（　こう）")));
}

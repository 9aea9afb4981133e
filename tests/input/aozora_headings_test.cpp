// 大見出し starts a page, 中見出し has a blank column before and after it, 小見出し one before it:
// an empty line where the source has none, never a second one, none at the top of a page.
#include "input/aozora_notation.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace input;
using namespace testing_support;

namespace {

struct HeadingCase {
    const char* name;
    std::string in;
    std::string out;
    std::string breaks; // offsets of the lines that start a page, joined by spaces
};

void expectHeadings(const std::vector<HeadingCase>& cases) {
    for (const HeadingCase& c : cases) {
        const AozoraText result = RemoveAozoraNotation(c.in, Ruby::Drop);
        EXPECT_EQ(hex(result.text), hex(c.out)) << c.name;
        std::string breaks;
        for (const engine::LineLayout& line : result.lines)
            if (line.pageBreakBefore)
                breaks += (breaks.empty() ? "" : " ") + std::to_string(line.lineStart);
        EXPECT_EQ(breaks, c.breaks) << c.name;
    }
}

} // namespace

TEST(AozoraHeadings, LargeHeadingStartsAPage) {
    expectHeadings({
        {"quoted", sj("本文\n第一［＃「第一」は大見出し］\n次"), sj("本文\n第一\n次"), "5"},
        {"between its notes, indented",
         sj("題\n\n［＃３字下げ］［＃大見出し］道標　第一部［＃大見出し終わり］\n本文"),
         sj("題\n\n道標　第一部\n本文"), "4"},
        {"block", sj("本文\n［＃ここから大見出し］\n上\n下\n［＃ここで大見出し終わり］\n次"),
         sj("本文\n上\n下\n次"), "5"},
        {"first in the text", sj("解題［＃「解題」は大見出し］\n本文"), sj("解題\n本文"), ""},
        {"after a page break and a blank line",
         sj("本文\n［＃改ページ］\n\n［＃大見出し］第一［＃大見出し終わり］\n次"),
         sj("本文\n\n第一\n次"), "5"},
    });
}

TEST(AozoraHeadings, MediumHeadingHasABlankColumnAroundIt) {
    expectHeadings({
        {"between its notes", sj("本文\n［＃中見出し］一［＃中見出し終わり］\n次"),
         sj("本文\n\n一\n\n次"), ""},
        {"empty lines of the source stay single",
         sj("本文\n\n［＃５字下げ］一［＃「一」は中見出し］\n\n次"), sj("本文\n\n一\n\n次"), ""},
        {"block of two lines, its notes on lines of their own",
         sj("本文\n［＃ここから中見出し］\n春と修羅\n（副題）\n［＃ここで中見出し終わり］\n次"),
         sj("本文\n\n春と修羅\n（副題）\n\n次"), ""},
        {"top of the text", sj("［＃中見出し］序［＃中見出し終わり］\n本文"), sj("序\n\n本文"), ""},
        {"top of a page, and last in the text",
         sj("甲\n［＃改ページ］\n一［＃「一」は中見出し］\n"), sj("甲\n一\n"), "3"},
        {"a page break after it", sj("甲\n一［＃「一」は中見出し］\n［＃改ページ］\n乙"),
         sj("甲\n\n一\n乙"), "7"},
    });
}

TEST(AozoraHeadings, SmallHeadingHasABlankColumnBeforeIt) {
    expectHeadings({
        {"between its notes", sj("本文\n［＃８字下げ］［＃小見出し］二［＃小見出し終わり］\n次"),
         sj("本文\n\n二\n次"), ""},
        {"after a medium one: one blank between",
         sj("甲\n一［＃「一」は中見出し］\n二［＃「二」は小見出し］\n乙"), sj("甲\n\n一\n\n二\n乙"),
         ""},
        {"top of a page", sj("甲\n［＃改ページ］\n［＃小見出し］一［＃小見出し終わり］\n乙"),
         sj("甲\n一\n乙"), "3"},
    });
}

TEST(AozoraHeadings, OtherNotesAndRunInHeadingsLeaveTheLines) {
    expectHeadings({
        {"run-in headings set in their line",
         sj("甲\n［＃３字下げ］五［＃「五」は同行小見出し］　六［＃「六」は同行中見出し］\n乙"),
         sj("甲\n五　六\n乙"), ""},
        {"window heading", sj("甲\n註［＃「註」は窓大見出し］（略）\n乙"), sj("甲\n註（略）\n乙"),
         ""},
        {"a note about the text is no heading",
         sj("甲\n第四回［＃「第四回」は底本では「第三回」］\n乙"), sj("甲\n第四回\n乙"), ""},
        {"a heading word in the text", sj("甲\n※大見出し「解題」において\n乙"),
         sj("甲\n※大見出し「解題」において\n乙"), ""},
        {"a quoted heading note with no text before it", sj("甲\n［＃「乙」は中見出し］\n乙"),
         sj("甲\n乙"), ""},
    });
}

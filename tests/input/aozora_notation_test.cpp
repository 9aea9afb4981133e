#include "input/aozora_notation.h"
#include "input/jisx0213_table.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace input;
using namespace testing_support;

namespace {

const std::string kRule = std::string(55, '-');

struct TextCase {
    const char* name;
    std::string in;
    std::string out;
    Ruby ruby = Ruby::Drop;
};

void expectText(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) {
        const AozoraText result = RemoveAozoraNotation(c.in, c.ruby);
        EXPECT_EQ(hex(result.text), hex(c.out)) << c.name;
    }
}

// Line layouts as "offset:break,indent=N,wrap=N,raise=N@from" joined by spaces, for compact
// expectations.
std::string describe(const engine::LineLayouts& lines) {
    std::string out;
    for (const engine::LineLayout& l : lines) {
        if (!out.empty())
            out += ' ';
        out += std::to_string(l.lineStart) + ':';
        std::string parts;
        if (l.pageBreakBefore)
            parts += "break";
        if (l.indent != 0)
            parts += (parts.empty() ? "" : ",") + std::string("indent=") + std::to_string(l.indent);
        if (l.wrapIndent >= 0)
            parts +=
                (parts.empty() ? "" : ",") + std::string("wrap=") + std::to_string(l.wrapIndent);
        if (l.raise >= 0)
            parts += (parts.empty() ? "" : ",") + std::string("raise=") + std::to_string(l.raise);
        if (l.raiseFrom > 0)
            parts += "@" + std::to_string(l.raiseFrom);
        out += parts;
    }
    return out;
}

} // namespace

TEST(AozoraRuby, ReadingsDroppedOrKeptInParentheses) {
    expectText({
        {"reading", sj("青空文庫《あおぞらぶんこ》です"), sj("青空文庫です")},
        {"in parentheses", sj("青空文庫《あおぞらぶんこ》です"),
         sj("青空文庫（あおぞらぶんこ）です"), Ruby::Parentheses},
        {"base marked by bar", sj("一｜部分《ぶぶん》だ"), sj("一部分だ")},
        {"base marked, parentheses", sj("一｜部分《ぶぶん》だ"), sj("一部分（ぶぶん）だ"),
         Ruby::Parentheses},
        {"two readings", sj("霧《きり》の｜倫敦《ロンドン》"), sj("霧の倫敦")},
        {"reading at line start", sj("上\n《よみ》本文"), sj("上\n本文")},
        {"bar with no reading after it", sj("《よ》甲｜乙"), sj("甲｜乙")},
        {"bar alone", sj("縦｜線"), sj("縦｜線")},
        {"reading left open", sj("開き《だけ"), sj("開き《だけ")},
        {"close alone", sj("閉じ》だけ"), sj("閉じ》だけ")},
        {"reading never crosses a line", sj("甲《こう\nおつ》乙"), sj("甲《こう\nおつ》乙")},
        {"gaiji in a reading", sj("字《※［＃ローマ数字1、1-13-21］》"), sj("字（Ⅰ）"),
         Ruby::Parentheses},
    });
}

TEST(AozoraEscapes, EscapedMarksAreText) {
    expectText({
        {"double angle brackets",
         sj("※［＃始め二重山括弧、1-1-52］引用※［＃終わり二重山括弧、1-1-53］"), sj("《引用》")},
        {"escaped open before a real reading", sj("※［＃始め二重山括弧、1-1-52］語《ご》"),
         sj("《語")},
        {"escaped bar before a reading stays", sj("甲※［＃縦線、1-1-35］乙《おつ》"), sj("甲｜乙")},
        {"escaped close is no reading end", sj("甲《※［＃終わり二重山括弧、1-1-53］"),
         sj("甲《》")},
        {"escaped tortoise shells keep their ASCII",
         sj("※［＃始め亀甲括弧、1-1-44］abc※［＃終わり亀甲括弧、1-1-45］"), sj("〔abc〕")},
        {"brackets, sharp, kome",
         sj("※［＃始め角括弧、1-1-46］※［＃井げた、1-1-84］改ページ"
            "※［＃終わり角括弧、1-1-47］※［＃米印、1-2-8］"),
         sj("［＃改ページ］※")},
    });
}

TEST(AozoraNotes, NotesGoTheirTextStays) {
    expectText({
        {"emphasis", sj("吾輩［＃「吾輩」に傍点］は"), sj("吾輩は")},
        {"heading", sj("一［＃「一」は中見出し］"), sj("一")},
        {"heading block", sj("［＃大見出し］序［＃大見出し終わり］"), sj("序")},
        {"block opening line", sj("［＃ここから３字下げ、２字詰め］\n甲"), sj("甲")},
        {"kome before an ordinary note", sj("注※［＃「注※」に傍点］だ"), sj("注※だ")},
        {"kome before a page break", sj("甲※［＃改ページ］"), sj("甲※")},
        {"nested note", sj("甲［＃「［＃注］」に傍点］乙"), sj("甲乙")},
        {"plain brackets inside a note", sj("［１］［＃「［１］」は縦中横］"), sj("［１］")},
        {"gaiji inside a note",
         sj("掻※［＃「てへん＋劣」、第3水準1-84-77］［＃「掻※［＃「てへん＋劣」、第3水準1-84-77］」に傍点］る"),
         sj("掻〓る")},
        {"unclosed note", sj("本文［＃閉じない"), sj("本文［＃閉じない")},
        {"unclosed outer note", sj("［＃外［＃内］だ"), sj("［＃外だ")},
        {"kome before an unclosed note", sj("※［＃「木＋内」、第3水準1-85-54"),
         sj("※［＃「木＋内」、第3水準1-85-54")},
        {"close bracket alone", sj("甲］乙"), sj("甲］乙")},
        {"lines that held notes only go", sj("甲\n［＃改ページ］\n［＃「乙」は中見出し］\n乙"),
         sj("甲\n乙")},
        {"empty lines stay", sj("甲\n\n\n乙\n"), sj("甲\n\n\n乙\n")},
        {"colophon stays", sj("本文\n\n底本：「本」出版社\n入力：誰\n"),
         sj("本文\n\n底本：「本」出版社\n入力：誰\n")},
    });
}

TEST(AozoraGaiji, CharacterWhereCodePage932HasIt) {
    const std::string saki = "\xFA\xB1"; // 﨑, as Windows writes it (IBM row)
    const std::string taka = "\xFB\xFC"; // 髙
    expectText({
        {"third level held by 932", sj("※［＃「崎」の異体字、第3水準1-47-82］"), saki},
        {"plane-row-cell", sj("※［＃ローマ数字1、1-13-21］"), sj("Ⅰ")},
        {"third level not held", sj("※［＃「木＋内」、第3水準1-85-54］"), sj("〓")},
        {"fourth level", sj("※［＃「一／勹」、第4水準2-1-2］"), sj("〓")},
        {"code point held", sj("※［＃「高」の異体字、U+9AD9、12-3］"), taka},
        {"code point not held", sj("※［＃「木＋内」、U+6798、12-3］"), sj("〓")},
        {"page and line only", sj("※［＃「歹＋勿」、33-6］"), sj("〓")},
        {"description only", sj("※［＃もんがまえに真の正字］"), sj("〓")},
        {"quoted description only", sj("※［＃「言＋墟のつくり」］"), sj("〓")},
        {"kome before a note on quoted text", sj("※［＃「※」は底本では「＊」］"), sj("※")},
        {"quoted comma", sj("甲※［＃「圖」の「回」に代えて「一、二」、2-5］乙"), sj("甲〓乙")},
    });
}

TEST(AozoraGaiji, TableLookups) {
    EXPECT_EQ(cp932FromJisX0213(1, 1, 1), 0x8140);  // 　
    EXPECT_EQ(cp932FromJisX0213(1, 16, 1), 0x889F); // 亜
    EXPECT_EQ(cp932FromJisX0213(1, 1, 33), 0x8160); // 〜 of JIS: the 932 wave dash
    EXPECT_EQ(cp932FromJisX0213(1, 13, 21), 0x8754);
    EXPECT_EQ(cp932FromJisX0213(1, 85, 54), 0);
    EXPECT_EQ(cp932FromJisX0213(2, 1, 2), 0);
    EXPECT_EQ(cp932FromJisX0213(3, 1, 1), 0);
    EXPECT_EQ(cp932FromCodePoint(U'\u4E9C'), 0x889F);
    EXPECT_EQ(cp932FromCodePoint(U'\u2170'), 0xFA40); // ⅰ: the IBM row, not the NEC copy
    EXPECT_EQ(cp932FromCodePoint(U'\uE000'), 0);      // user-defined rows are no gaiji
    EXPECT_EQ(cp932FromCodePoint(U'\U00020B9F'), 0);
}

TEST(AozoraTortoiseShell, BracketsAroundAsciiGo) {
    expectText({
        {"accent-decomposed word", sj("裏に〔e'rotique〕がある"), sj("裏にe'rotiqueがある")},
        {"sentence", sj("〔Faure' was taught by Saint-Sae:ns.〕"),
         sj("Faure' was taught by Saint-Sae:ns.")},
        {"Japanese inside", sj("〔註釈〕"), sj("〔註釈〕")},
        {"mixed", sj("〔abc語〕"), sj("〔abc語〕")},
        {"empty", sj("〔〕"), sj("〔〕")},
        {"unclosed", sj("〔abc"), sj("〔abc")},
    });
}

TEST(AozoraExplanationBlock, RemovedWithItsLines) {
    const std::string block =
        kRule + "\n" +
        sj("【テキスト中に現れる記号について】\n\n《》：ルビ\n（例）蜜蜂《みつばち》\n\n［＃］：入力者注\n") +
        kRule + "\n";
    expectText({
        {"head", sj("題名\n著者\n\n") + block + sj("\n本文\n"), sj("題名\n著者\n\n\n本文\n")},
        {"never closed",
         sj("題名\n") + kRule + sj("\n【テキスト中に現れる記号について】\n説明\n本文"),
         sj("題名\n") + kRule + sj("\n【テキスト中に現れる記号について】\n説明\n本文")},
        {"rule without the title", kRule + sj("\n本文\n") + kRule, kRule + sj("\n本文\n") + kRule},
        {"too far down", repeat("\n", 70) + block,
         repeat("\n", 70) + kRule + "\n" +
             sj("【テキスト中に現れる記号について】\n\n：ルビ\n（例）蜜蜂\n\n：入力者注\n") +
             kRule + "\n"},
    });
}

// Marks are recognised only where a character starts: 求 is 0x8B 0x81, so 求m＃ holds the bytes
// of ［＃ and 求s those of 《 across a character boundary.
TEST(AozoraBytes, TrailBytesAreNoMarks) {
    expectText({
        {"no note", sj("求") + "m" + sj("＃x］"), sj("求") + "m" + sj("＃x］")},
        {"no reading", sj("求") + "s" + sj("よみ》"), sj("求") + "s" + sj("よみ》")},
        {"no note inside a note", sj("［＃「求") + "m" + sj("＃」］甲］"), sj("甲］")},
        {"no reading after a bar", sj("｜求") + "s" + sj("》"), sj("｜求") + "s" + sj("》")},
        {"no kome", sj("求") + "\xA6" + sj("［＃ローマ数字1、1-13-21］"), sj("求") + "\xA6"},
    });
}

struct LayoutCase {
    const char* name;
    std::string in;
    std::string out;
    std::string layouts;
};

TEST(AozoraLayout, PageBreaksIndentsRaises) {
    const std::vector<LayoutCase> cases = {
        {"page breaks", sj("a\n［＃改ページ］\nb\n［＃改丁］\n\nc［＃改見開き］\nd［＃改段］"),
         "a\nb\n\nc\nd", "2:break 4:break 7:break"},
        {"break after the line's text", sj("a［＃改ページ］b\nc"), "ab\nc", "3:break"},
        {"break last in the text", sj("a\n［＃改ページ］\n"), "a\n", ""},
        {"break last, no line break", sj("a\n［＃改ページ］"), "a\n", ""},
        {"line indent", sj("［＃３字下げ］a\n［＃１２字下げ］b\n［＃2字下げ］c\nd"), "a\nb\nc\nd",
         "0:indent=3 2:indent=12 4:indent=2"},
        {"indent in mid-line does nothing", sj("a［＃３字下げ］b"), "ab", ""},
        {"nested blocks, innermost wins",
         sj("［＃ここから２字下げ］\na\n［＃ここから４字下げ］\nb\n［＃ここで字下げ終わり］\nc\n\n"
            "［＃ここで字下げ終わり］\nd"),
         "a\nb\nc\n\nd", "0:indent=2 2:indent=4 4:indent=2 6:indent=2"},
        {"a block with no end of its own gives way to the next",
         sj("［＃ここから改行天付き、折り返して１字下げ］\na\n［＃ここから１字下げ、折り返して２字下げ］\nb\n"
            "［＃ここから２字下げ］\nc\n［＃ここで字下げ終わり］\nd\n［＃ここから３字下げ］\ne\n"
            "［＃ここから４字下げ］\nf"),
         "a\nb\nc\nd\ne\nf", "0:wrap=1 2:indent=1,wrap=2 4:indent=2 8:indent=3 10:indent=4"},
        {"wrapped lines indented further",
         sj("［＃ここから３字下げ、折り返して５字下げ］\na\n［＃ここで字下げ終わり］\nb"), "a\nb",
         "0:indent=3,wrap=5"},
        {"top-aligned block inside an indented one",
         sj("［＃ここから２字下げ］\n［＃ここから改行天付き、折り返して３字下げ］\na\n"
            "［＃ここで字下げ終わり］\nb\n［＃ここで字下げ終わり］"),
         "a\nb\n", "0:wrap=3 2:indent=2"},
        {"line indent beats the block",
         sj("［＃ここから２字下げ］\n［＃５字下げ］a\nb［＃ここで字下げ終わり］\nc"), "a\nb\nc",
         "0:indent=5 2:indent=2"},
        {"block opened in mid-line starts with the next line",
         sj("a［＃ここから２字下げ］\nb\n［＃ここで字下げ終わり］c"), "a\nb\nc", "2:indent=2"},
        {"foot", sj("a［＃地付き］b\n［＃地から３字上げ］c\n［＃地付き、地より２字アキ］d"),
         "ab\nc\nd", "0:raise=0@1 3:raise=3 5:raise=2"},
        {"foot blocks one after another",
         sj("［＃ここから地付き］\na\n［＃ここから地から２字上げ］\nb\n［＃ここで字上げ終わり］\nc"),
         "a\nb\nc", "0:raise=0 2:raise=2"},
        {"foot block",
         sj("［＃ここから地付き］\na\n［＃ここで地付き終わり］\nb\n［＃ここから地から２字上げ］\nc\n"
            "［＃ここで字上げ終わり］\nd"),
         "a\nb\nc\nd", "0:raise=0 4:raise=2"},
        {"requests of a removed line go to the next",
         sj("x\n［＃改ページ］\n［＃地付き］\n［＃３字下げ］\ny"), "x\ny",
         "2:break,indent=3,raise=0"},
        {"indent with its page break and text",
         sj("［＃改ページ］［＃３字下げ］一［＃「一」は小見出し］\n本文"), sj("一\n本文"),
         "0:break,indent=3"},
        {"unknown end note leaves the blocks",
         sj("［＃ここから２字下げ］\na\n［＃ここで太字終わり］\nb"), "a\nb",
         "0:indent=2 2:indent=2"},
    };
    for (const LayoutCase& c : cases) {
        const AozoraText result = RemoveAozoraNotation(c.in, Ruby::Drop);
        EXPECT_EQ(hex(result.text), hex(c.out)) << c.name;
        EXPECT_EQ(describe(result.lines), c.layouts) << c.name;
    }
}

TEST(AozoraLayout, OffsetsCountTheOutputBytes) {
    const AozoraText result = RemoveAozoraNotation(
        sj("題※［＃「木＋内」、第3水準1-85-54］《よみ》\n［＃改ページ］\n本文"), Ruby::Parentheses);
    EXPECT_EQ(hex(result.text), hex(sj("題〓（よみ）\n本文")));
    EXPECT_EQ(describe(result.lines), std::to_string(sj("題〓（よみ）\n").size()) + ":break");
}

// Texts with no notation come through byte for byte; texts cut from notation pieces at random
// never grow, keep their layouts sorted inside the text, and keep every piece that is no markup.
TEST(AozoraProperties, GeneratedTexts) {
    const std::vector<std::string> plain = {
        sj("吾輩"), sj("は"),   sj("猫"), sj("、"), sj("「"),       sj("」"), "a",     " ",
        "\n",       "\xB6\xDE", sj("［"), sj("］"), sj("求") + "m", sj("〔"), sj("〕")};
    const std::vector<std::string> marks = {sj("］"),
                                            sj("《"),
                                            sj("》"),
                                            sj("｜"),
                                            sj("※"),
                                            sj("［＃改ページ］"),
                                            sj("［＃ここから２字下げ］"),
                                            sj("［＃ここで字下げ終わり］"),
                                            sj("［＃地付き］"),
                                            sj("［＃地から２字上げ］"),
                                            sj("［＃ここから１字下げ、折り返して３字下げ］"),
                                            sj("［＃「猫」は中見出し］"),
                                            sj("［＃小見出し］"),
                                            sj("［＃ここで大見出し終わり］"),
                                            "\n",
                                            sj("〔"),
                                            sj("〕"),
                                            "abc",
                                            sj("語")};
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        std::string clean;
        for (int n = std::uniform_int_distribution<int>(0, 40)(rng); n > 0; --n)
            clean += plain[std::uniform_int_distribution<std::size_t>(0, plain.size() - 1)(rng)];
        if (clean.find(sj("〔")) == std::string::npos) {
            const AozoraText same = RemoveAozoraNotation(clean, Ruby::Drop);
            EXPECT_EQ(hex(same.text), hex(clean));
            EXPECT_TRUE(same.lines.empty());
        }

        std::string marked;
        for (int n = std::uniform_int_distribution<int>(0, 40)(rng); n > 0; --n)
            marked += marks[std::uniform_int_distribution<std::size_t>(0, marks.size() - 1)(rng)];
        for (Ruby ruby : {Ruby::Drop, Ruby::Parentheses}) {
            const AozoraText result = RemoveAozoraNotation(marked, ruby);
            EXPECT_LE(result.text.size(), marked.size()) << hex(marked);
            for (std::size_t i = 0; i < result.lines.size(); ++i) {
                EXPECT_LT(result.lines[i].lineStart, result.text.size()) << hex(marked);
                if (i > 0) {
                    EXPECT_LT(result.lines[i - 1].lineStart, result.lines[i].lineStart)
                        << hex(marked);
                }
                const std::size_t at = result.lines[i].lineStart;
                EXPECT_TRUE(at == 0 || result.text[at - 1] == '\n') << hex(marked);
                // A raised part starts inside its line, after some of its text.
                const std::size_t from = result.lines[i].raiseFrom;
                EXPECT_TRUE(from == 0 || (at + from < result.text.size() &&
                                          result.text.find('\n', at) > at + from))
                    << hex(marked);
            }
            if (ruby == Ruby::Parentheses) {
                // Nothing here is dropped but marks: every 語 and abc survives.
                auto count = [](const std::string& s, const std::string& what) {
                    std::size_t n = 0;
                    for (std::size_t p = s.find(what); p != std::string::npos;
                         p = s.find(what, p + 1))
                        ++n;
                    return n;
                };
                EXPECT_EQ(count(result.text, sj("語")), count(marked, sj("語"))) << hex(marked);
                EXPECT_EQ(count(result.text, "abc"), count(marked, "abc")) << hex(marked);
            }
        }
    }
}

#include "engine/header_recognition.h"
#include "engine/output_name.h"
#include "engine/sjis.h"
#include "engine/text_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

using engine::HeaderInfo;
using engine::RecognizeHeader;

namespace {

struct Recognized {
    std::string title;
    std::string author;
    std::int32_t headLength = 0;
};

// Recognition in a file's bytes as the run reads them.
Recognized recognize(std::string_view fileBytes) {
    std::string text(fileBytes);
    engine::MakeTextAsRead(text);
    HeaderInfo info;
    Recognized r;
    r.headLength = RecognizeHeader(text, info);
    r.title = info.title;
    r.author = info.author;
    return r;
}

std::string repeated(std::size_t n, char c) {
    return std::string(n, c);
}

const std::string kYama = "\x8e\x52\x82\xcc\x93\xb9";   // 山の道
const std::string kChosha = "\x92\x98\x8e\xd2\x96\xbc"; // 著者名
const std::string kHonbun = "\x81\x40\x96\x7b\x95\xb6"; // 　本文

} // namespace

TEST(HeaderRecognition, WorkedExampleWithCrLfLines) {
    const Recognized r = recognize(kYama + "\r\n" + kChosha + "\r\n\r\n" + kHonbun + "\r\n");
    EXPECT_EQ(r.title, kYama);
    EXPECT_EQ(r.author, kChosha);
    EXPECT_EQ(r.headLength, 14);
}

TEST(HeaderRecognition, OneByteCharactersOfFileNamesBecomeFullWidth) {
    const Recognized r = recognize("A/B: Z\r\nX|Y\r\nbody\r\n");
    EXPECT_EQ(r.title, "\x41\x81\x5e\x42\x81\x46\x20\x5a"); // A／B： Z
    EXPECT_EQ(r.author, "\x58\x81\x62\x59");                // X｜Y
    EXPECT_EQ(r.headLength, 11);
}

TEST(HeaderRecognition, EveryReplacedCharacter) {
    const Recognized r = recognize("\\/:,*?\"<>|\nok\n");
    EXPECT_EQ(r.title, "\x81\x8f\x81\x5e\x81\x46\x81\x43\x81\x96"   // ￥／：，＊
                       "\x81\x48\x81\x68\x81\x83\x81\x84\x81\x62"); // ？”＜＞｜
    EXPECT_EQ(r.author, "ok");
    EXPECT_EQ(r.headLength, 14);
}

TEST(HeaderRecognition, OtherOneByteCharactersStay) {
    // Space, full stop, letters, digits, other punctuation and half-width katakana (not lead
    // bytes).
    const std::string line = " .aZ09!#$%&'()+-;=@[]^_`{}~\xb1\xde\xdf ";
    const Recognized r = recognize(line + "\n" + line + "\n");
    EXPECT_EQ(r.title, line);
    EXPECT_EQ(r.author, line);
}

TEST(HeaderRecognition, SecondBytesFiveCAndSevenCStay) {
    const std::string soft = "\x83\x5c\x83\x74\x83\x67"; // ソフト
    const std::string hyoPo = "\x95\x5c\x83\x7c";        // 表ポ
    const Recognized r = recognize(soft + "\n" + hyoPo + "\n");
    EXPECT_EQ(r.title, soft);
    EXPECT_EQ(r.author, hyoPo);
    EXPECT_EQ(r.headLength, 12);
}

TEST(HeaderRecognition, ByteAfterLeadByteIsNeverReplaced) {
    // Whatever follows a lead byte is its second byte, even where it is no valid one.
    const Recognized r = recognize("\x81/a/\n\x81|\n");
    EXPECT_EQ(r.title, "\x81/a\x81\x5e");
    EXPECT_EQ(r.author, "\x81|");
    EXPECT_EQ(r.headLength, 8);
}

TEST(HeaderRecognition, LeadingAndTrailingSpacesStay) {
    const Recognized r = recognize(" \x81\x40T\x81\x40 \n  A \nbody");
    EXPECT_EQ(r.title, " \x81\x40T\x81\x40 ");
    EXPECT_EQ(r.author, "  A ");
    EXPECT_EQ(r.headLength, 13);
}

TEST(HeaderRecognition, EmptyFirstLineGivesEmptyTitle) {
    const Recognized r = recognize("\n" + kChosha + "\nbody\n");
    EXPECT_EQ(r.title, "");
    EXPECT_EQ(r.author, kChosha);
    EXPECT_EQ(r.headLength, 8);
}

TEST(HeaderRecognition, EmptySecondLineGivesEmptyAuthor) {
    const Recognized r = recognize(kYama + "\r\n\r\nbody\r\n");
    EXPECT_EQ(r.title, kYama);
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 8);
}

TEST(HeaderRecognition, BothLinesEmpty) {
    const Recognized r = recognize("\n\nbody");
    EXPECT_EQ(r.title, "");
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 2);
}

TEST(HeaderRecognition, SecondLineWithoutLineBreakGivesTitleOnly) {
    const Recognized r = recognize(kYama + "\r\n" + kChosha);
    EXPECT_EQ(r.title, kYama);
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 0);
}

TEST(HeaderRecognition, SingleLineWithLineBreakGivesTitleOnly) {
    const Recognized r = recognize(kYama + "\r\n");
    EXPECT_EQ(r.title, kYama);
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 0);
}

TEST(HeaderRecognition, NoLineBreakAtAll) {
    for (const std::string& file : {std::string(), kYama, std::string("\x81")}) {
        const Recognized r = recognize(file);
        EXPECT_EQ(r.title, "");
        EXPECT_EQ(r.author, "");
        EXPECT_EQ(r.headLength, 0);
    }
}

TEST(HeaderRecognition, CrOnlyLineBreaksEndTheLines) {
    // Classic Mac OS line ends: no LF anywhere, so each CR is a line break.
    const Recognized r = recognize(kYama + "\r" + kChosha + "\r\r" + kHonbun + "\r");
    EXPECT_EQ(r.title, kYama);
    EXPECT_EQ(r.author, kChosha);
    EXPECT_EQ(r.headLength, static_cast<std::int32_t>(kYama.size() + kChosha.size() + 2));
    // With one LF in the text, CRs are dropped as they always were.
    const Recognized mixed = recognize(kYama + "\r" + kChosha + "\r\r" + kHonbun + "\n");
    EXPECT_EQ(mixed.author, "");
}

TEST(HeaderRecognition, CrBytesAnywhereAreDroppedAndNotCounted) {
    const Recognized r = recognize("\rA\r\rB\r\r\n\rC\r\n");
    EXPECT_EQ(r.title, "AB");
    EXPECT_EQ(r.author, "C");
    EXPECT_EQ(r.headLength, 5); // A B LF C LF in the text as read
}

TEST(HeaderRecognition, CrBytesDoNotUseUpTheHead) {
    // 500 CRs in front: the 300 bytes of the head are counted after they are dropped.
    const Recognized r = recognize(repeated(500, '\r') + "T\nA\nbody");
    EXPECT_EQ(r.title, "T");
    EXPECT_EQ(r.author, "A");
    EXPECT_EQ(r.headLength, 4);
}

TEST(HeaderRecognition, EndOfTextByteInsideTheHeadEndsIt) {
    Recognized r = recognize(kYama + "\n" + "\x92\x98\x1a\x8e\xd2\x96\xbc\nbody\n");
    EXPECT_EQ(r.title, kYama);
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 0);

    r = recognize("\x1aT\nA\n");
    EXPECT_EQ(r.title, "");
    EXPECT_EQ(r.headLength, 0);

    r = recognize("T\nA\n\x1a body");
    EXPECT_EQ(r.title, "T");
    EXPECT_EQ(r.author, "A");
    EXPECT_EQ(r.headLength, 4);
}

TEST(HeaderRecognition, ShortFileIsReadToItsEnd) {
    const Recognized r = recognize("T\nA\n");
    EXPECT_EQ(r.title, "T");
    EXPECT_EQ(r.author, "A");
    EXPECT_EQ(r.headLength, 4);
}

// In the window, line breaks take two bytes and each replaced character one byte more.
TEST(HeaderRecognitionWindow, SecondBreakAtPosition299IsFound) {
    const std::string title = repeated(200, 't');
    const std::string author = repeated(96, 'a');
    const Recognized r = recognize(title + "\n" + author + "\nbody");
    EXPECT_EQ(r.title, title);
    EXPECT_EQ(r.author, author);
    EXPECT_EQ(r.headLength, 298);
}

TEST(HeaderRecognitionWindow, SecondBreakAtPosition300IsNotFound) {
    const std::string title = repeated(200, 't');
    const Recognized r = recognize(title + "\n" + repeated(97, 'a') + "\nbody");
    EXPECT_EQ(r.title, title);
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 0);
}

TEST(HeaderRecognitionWindow, EachReplacementMovesTheLimitByOne) {
    // One replaced character in the title: 96 author bytes no longer fit, 95 do.
    const std::string title = repeated(199, 't') + "/";
    Recognized r = recognize(title + "\n" + repeated(96, 'a') + "\nbody");
    EXPECT_EQ(r.title, repeated(199, 't') + "\x81\x5e");
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 0);

    r = recognize(title + "\n" + repeated(95, 'a') + "\nbody");
    EXPECT_EQ(r.author, repeated(95, 'a'));
    EXPECT_EQ(r.headLength, 297); // the lines as they stand in the file

    // Two in the author: 94 of its bytes fit instead of 96.
    const std::string title200 = repeated(200, 't');
    r = recognize(title200 + "\n" + repeated(93, 'a') + "<>" + "\n");
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 0);
    r = recognize(title200 + "\n" + repeated(92, 'a') + "<>" + "\n");
    EXPECT_EQ(r.author, repeated(92, 'a') + "\x81\x83\x81\x84");
    EXPECT_EQ(r.headLength, 296);
}

TEST(HeaderRecognitionWindow, DoubleByteCharactersAcrossTheLimit) {
    // 山 x 100 is 200 bytes; the author's last character sits at positions 297-298.
    const std::string title = [] {
        std::string s;
        for (int i = 0; i < 100; ++i)
            s += "\x8e\x52";
        return s;
    }();
    const std::string author = repeated(94, 'a') + "\x83\x5c"; // ...ソ
    Recognized r = recognize(title + "\n" + author + "\n");
    EXPECT_EQ(r.title, title);
    EXPECT_EQ(r.author, author);
    EXPECT_EQ(r.headLength, 298);

    r = recognize(title + "\n" + author + "a\n");
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 0);
}

TEST(HeaderRecognitionWindow, LongFirstLine) {
    // First break at position 298: title found, author starts past the window.
    Recognized r = recognize(repeated(297, 't') + "\nA\n");
    EXPECT_EQ(r.title, repeated(297, 't'));
    EXPECT_EQ(r.author, "");
    EXPECT_EQ(r.headLength, 0);

    r = recognize(repeated(298, 't') + "\nA\n"); // first break at 299
    EXPECT_EQ(r.title, repeated(298, 't'));
    EXPECT_EQ(r.headLength, 0);

    r = recognize(repeated(299, 't') + "\nA\n"); // at 300: nothing
    EXPECT_EQ(r.title, "");
    EXPECT_EQ(r.headLength, 0);

    r = recognize(repeated(297, '?') + "\nA\n"); // replacements push the break out of the window
    EXPECT_EQ(r.title, "");
    EXPECT_EQ(r.headLength, 0);
}

TEST(HeaderRecognition, LeadByteBeforeALineBreakStandsAlone) {
    // The line break ends the line even after a stray lead byte, so the head is the two lines and
    // nothing of the third.
    const Recognized r = recognize("T\x81\r\nA\x9f\r\nbody\r\n");
    EXPECT_EQ(r.title, "T\x81");
    EXPECT_EQ(r.author, "A\x9f");
    EXPECT_EQ(r.headLength, 6);
}

TEST(HeaderRecognition, FieldsAreOnlyAssignedWhenFound) {
    HeaderInfo info;
    info.author = "kept";
    EXPECT_EQ(RecognizeHeader("T\nA", info), 0);
    EXPECT_EQ(info.title, "T");
    EXPECT_EQ(info.author, "kept");
}

TEST(HeaderRecognition, HeadBehindManyCrBytes) {
    // CRs take no room in the head: 5000 of them before the two lines.
    const Recognized r = recognize(repeated(5000, '\r') + "A/B\r\nC\r\n" + repeated(100000, 'x'));
    EXPECT_EQ(r.headLength, 6);
    EXPECT_EQ(r.title, "A\x81\x5e"
                       "B");
    EXPECT_EQ(r.author, "C");
}

// --- Properties over generated heads ----------------------------------------------------------

namespace {

std::string_view replacementFor(unsigned char b) {
    constexpr std::string_view from = "\\/:,*?\"<>|";
    constexpr std::string_view to = "\x81\x8f\x81\x5e\x81\x46\x81\x43\x81\x96"
                                    "\x81\x48\x81\x68\x81\x83\x81\x84\x81\x62";
    const std::size_t k = from.find(static_cast<char>(b));
    return k == std::string_view::npos ? std::string_view() : to.substr(2 * k, 2);
}

// Length of the character at index i of the working copy, found by walking from its start; a CR
// never serves as a second byte.
std::size_t characterLengthAt(const std::string& w, std::size_t i) {
    return engine::isLeadByte(engine::byteAt(w, i)) && i + 1 < w.size() && w[i + 1] != '\r' ? 2 : 1;
}

// The recognition done step by step on a real working copy: LFs made CR LF, replacements inserted
// in place, every position classified by walking the copy from its start.
Recognized literalRecognition(std::string_view fileBytes) {
    // The text as read: before the first 0x1A, CRs dropped, or taken as line breaks where the
    // text has no LF.
    const std::string_view before = fileBytes.substr(0, fileBytes.find('\x1a'));
    const bool crEndsLines = before.find('\n') == std::string_view::npos;
    std::string head;
    for (const char c : before) {
        if (c == '\r' && !crEndsLines)
            continue;
        head += c == '\r' ? '\n' : c;
        if (head.size() == 300)
            break;
    }
    std::string w;
    for (const char c : head)
        w += c == '\n' ? std::string("\r\n") : std::string(1, c);

    Recognized r;
    bool titlePending = true;
    std::size_t authorStart = 1;
    std::int32_t replacements = 0;
    for (std::size_t p = 1; p <= 299 && p <= w.size(); ++p) {
        std::size_t start = 0;
        while (start + characterLengthAt(w, start) < p)
            start += characterLengthAt(w, start);
        if (characterLengthAt(w, start) == 2)
            continue;
        const unsigned char b = engine::byteAt(w, p - 1);
        if (const std::string_view safe = replacementFor(b); !safe.empty()) {
            w.replace(p - 1, 1, safe);
            ++replacements;
            continue;
        }
        if (b != '\r')
            continue;
        if (titlePending) {
            r.title = w.substr(0, p - 1);
            authorStart = p + 2;
            titlePending = false;
        } else {
            r.author = w.substr(authorStart - 1, p - authorStart);
            r.headLength = static_cast<std::int32_t>(p - 1) - replacements;
            break;
        }
    }
    return r;
}

// A line of about `length` bytes. `sparse` lines are mostly letters and double-byte characters,
// with few replacements, so that their breaks also reach the far end of the window.
std::string randomLine(std::mt19937& rng, std::size_t length, bool sparse) {
    static const char* const pieces[] =
        {"a",    "\x8e\x52", "\x83\x5c", // a 山 ソ: the common ones of sparse lines
         "Z",    " ",        "/",        ":",        ",",        "*",
         "?",    "\"",       "<",        ">",        "|",        "\\",
         ".",    "\x83\x7c", "\x95\x5c", "\x81\x81", "\x81\x40",          // ポ表＝　
         "\xb1", "\xde",     "\xa0",     "\x80",     "\xfd",     "\xff",  // one-byte
         "\x81", "\x9f",     "\xe0",     "\xfc",     "\r",       "\r\r"}; // strays
    std::string s;
    while (s.size() < length) {
        const bool common = sparse && rng() % 16 != 0;
        s += pieces[common ? rng() % 3 : rng() % std::size(pieces)];
    }
    return s;
}

std::string randomFile(std::mt19937& rng) {
    if (rng() % 4 == 0) { // any bytes at all, line breaks frequent
        std::string s(rng() % 400, '\0');
        for (char& c : s)
            c = rng() % 8 == 0 ? '\n' : static_cast<char>(rng() % 256);
        return s;
    }
    // Two lines whose breaks fall around the end of the window.
    const bool sparse = rng() % 2 == 0;
    std::string s = randomLine(rng, rng() % 240, sparse) + (rng() % 2 ? "\r\n" : "\n");
    s += randomLine(rng, rng() % 140, sparse) + (rng() % 8 ? "\n" : "");
    s += randomLine(rng, rng() % 40, sparse);
    if (rng() % 16 == 0)
        s.insert(rng() % (s.size() + 1), "\x1a");
    return s;
}

// The text as the conversion run reads it, without its end byte.
std::string asRead(std::string_view fileBytes) {
    const std::string_view before = fileBytes.substr(0, fileBytes.find('\x1a'));
    const bool crEndsLines = before.find('\n') == std::string_view::npos;
    std::string text;
    for (const char c : before) {
        if (c != '\r')
            text += c;
        else if (crEndsLines)
            text += '\n';
    }
    return text;
}

// True when one of the replaced characters stands as a character of its own.
bool holdsStandaloneReplacedCharacter(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); i += engine::charLengthAt(s, i))
        if (engine::charLengthAt(s, i) == 1 && !replacementFor(engine::byteAt(s, i)).empty())
            return true;
    return false;
}

// True when `c` stands at index i as a character of its own.
bool standsAlone(std::string_view s, std::size_t i) {
    std::size_t at = 0;
    while (at < i)
        at += engine::charLengthAt(s, at);
    return at == i && engine::charLengthAt(s, i) == 1;
}

} // namespace

TEST(HeaderRecognitionProperty, MatchesTheStepByStepScan) {
    std::mt19937 rng(20240611);
    for (int n = 0; n < 3000; ++n) {
        const std::string file = randomFile(rng);
        const Recognized got = recognize(file);
        const Recognized want = literalRecognition(file);
        ASSERT_EQ(got.title, want.title) << testing::PrintToString(file);
        ASSERT_EQ(got.author, want.author) << testing::PrintToString(file);
        ASSERT_EQ(got.headLength, want.headLength) << testing::PrintToString(file);
    }
}

TEST(HeaderRecognitionProperty, HeadLengthCoversExactlyTwoLinesAndNamesStayShort) {
    std::mt19937 rng(99);
    for (int n = 0; n < 5000; ++n) {
        const std::string file = randomFile(rng);
        const Recognized r = recognize(file);
        const std::string text = asRead(file);
        ASSERT_GE(r.headLength, 0);
        ASSERT_LE(static_cast<std::size_t>(r.headLength), std::min<std::size_t>(text.size(), 300))
            << testing::PrintToString(file);
        if (r.headLength > 0) {
            // The head is the two lines with their LFs and nothing else.
            const std::string head = text.substr(0, r.headLength);
            ASSERT_EQ(std::count(head.begin(), head.end(), '\n'), 2)
                << testing::PrintToString(file);
            ASSERT_EQ(head.back(), '\n') << testing::PrintToString(file);
        } else {
            ASSERT_EQ(r.author, "");
        }
        ASSERT_FALSE(holdsStandaloneReplacedCharacter(r.title)) << testing::PrintToString(file);
        ASSERT_FALSE(holdsStandaloneReplacedCharacter(r.author)) << testing::PrintToString(file);

        const std::string name = engine::ProposeOutputName(r.title, r.author);
        ASSERT_LE(name.size(), engine::kMaxProposedNameBytes) << testing::PrintToString(file);
        // The closing bracket is a character of its own, so no cut left half a character.
        ASSERT_FALSE(name.empty());
        ASSERT_EQ(name.back(), ']');
        ASSERT_TRUE(standsAlone(name, name.size() - 1)) << testing::PrintToString(file);
    }
}

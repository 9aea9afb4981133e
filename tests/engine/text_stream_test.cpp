// Sources are taken as text streams: every CR dropped (or, in a text without LF, taken as a line
// break), the first 0x1A ends the text.
#include "engine/text_stream.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::string asRead(std::string bytes) {
    engine::MakeTextAsRead(bytes);
    return bytes;
}

} // namespace

TEST(TextStreamRule, CrDroppedEverywhereEvenInsideACharacter) {
    EXPECT_EQ(hex(asRead("a\rb\r\r\nc\x82\r\xa0\r")), hex("ab\nc\x82\xa0"));
}

TEST(TextStreamRule, FirstEndOfFileMarkEndsTheTextEvenAsASecondByte) {
    // The text stream knows nothing of double-byte characters: 0x82 0x1A ends the text after 0x82.
    EXPECT_EQ(hex(asRead("x\x82\x1a"
                         "after\x1a")),
              hex("x\x82"));
}

TEST(TextStreamRule, MarksAtTheReadBlockBoundary) {
    const std::size_t block = engine::kEventPumpBlock;
    // A CR LF pair split by the block boundary.
    std::string bytes(block - 1, 'a');
    bytes += "\r\nb";
    EXPECT_EQ(asRead(bytes), std::string(block - 1, 'a') + "\nb");
    // 0x1A as the first byte of the second block.
    bytes = std::string(block, 'a') + "\x1a" + "rest";
    EXPECT_EQ(asRead(bytes), std::string(block, 'a'));
    // A file of exactly one block.
    bytes = std::string(block, 'z');
    EXPECT_EQ(asRead(bytes), bytes);
}

TEST(TextStreamRule, EmptyFileIsAnEmptyText) {
    EXPECT_EQ(asRead(""), "");
    EXPECT_EQ(asRead("\x1a"
                     "abc\r\n"),
              "");
}

TEST(TextStreamRule, CrAloneEndsTheLinesOfATextWithoutLf) {
    // Classic Mac OS line ends: every CR is a line break, even a lead byte's neighbour.
    EXPECT_EQ(hex(asRead("a\rb\r\rc\x82\r\xa0\r")), hex("a\nb\n\nc\x82\n\xa0\n"));
    EXPECT_EQ(asRead("\r\r"), "\n\n");
    // Only the text before the end-of-file mark counts: an LF after it changes nothing.
    std::string bytes = "x\ry\r\x1a\n";
    EXPECT_EQ(engine::MakeTextAsRead(bytes), std::optional<std::size_t>(4));
    EXPECT_EQ(bytes, "x\ny\n");
    // One LF anywhere in the text and every CR goes, as it always did.
    EXPECT_EQ(asRead("x\ry\rz\n"), "xyz\n");
    // A long CR-only text across the event blocks.
    const std::string lines = repeat("line\r", 40000);
    EXPECT_EQ(asRead(lines), repeat("line\n", 40000));
}

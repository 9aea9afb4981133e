// Sources are taken as text streams: every CR dropped, the first 0x1A ends the text.
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
    EXPECT_EQ(asRead("\r\r\x1a"
                     "abc"),
              "");
}

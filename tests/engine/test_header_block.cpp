#include "engine/header_block.h"
#include "engine/header_recognition.h"
#include "platform/file_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

using engine::BuildHeaderBlock;
using engine::SpliceHeaderBlock;

namespace {

const std::string kYama = "\x8e\x52\x82\xcc\x93\xb9";   // 山の道
const std::string kChosha = "\x92\x98\x8e\xd2\x96\xbc"; // 著者名
const std::string kSpace = "\x81\x40";                  // 　

std::string spaces(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += kSpace;
    return s;
}

std::string block(const std::string& title, const std::string& author, int closingFeeds) {
    return "\n\n\n\n" + spaces(2) + title + "\n\n" + spaces(7) + author +
           std::string(closingFeeds, '\n');
}

} // namespace

TEST(HeaderBlock, WorkedExampleBytes) {
    EXPECT_EQ(BuildHeaderBlock(kYama, kChosha, 23),
              "\n\n\n\n\x81\x40\x81\x40\x8e\x52\x82\xcc\x93\xb9\n\n"
              "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
              "\x92\x98\x8e\xd2\x96\xbc\n\n\n\n\n\n\n\n");
}

TEST(HeaderBlock, ClosingLineFeedsShrinkWithLongTitles) {
    const std::string a = "A";
    EXPECT_EQ(BuildHeaderBlock(std::string(40, 't'), a, 23), block(std::string(40, 't'), a, 8));
    EXPECT_EQ(BuildHeaderBlock(std::string(45, 't'), a, 23), block(std::string(45, 't'), a, 8));
    EXPECT_EQ(BuildHeaderBlock(std::string(46, 't'), a, 23), block(std::string(46, 't'), a, 7));
    EXPECT_EQ(BuildHeaderBlock(std::string(100, 't'), a, 23), block(std::string(100, 't'), a, 6));
    EXPECT_EQ(BuildHeaderBlock(std::string(159, 't'), a, 10), block(std::string(159, 't'), a, 1));
    EXPECT_EQ(BuildHeaderBlock(std::string(160, 't'), a, 10), block(std::string(160, 't'), a, 0));
    EXPECT_EQ(BuildHeaderBlock(std::string(298, 't'), a, 7), block(std::string(298, 't'), a, 0));
}

TEST(HeaderBlock, EmptyPartsAreAbsent) {
    EXPECT_EQ(BuildHeaderBlock("", "", 23),
              "\n\n\n\n" + spaces(2) + "\n\n" + spaces(7) + "\n\n\n\n\n\n\n\n");
    EXPECT_EQ(BuildHeaderBlock("T", "", 11), block("T", "", 8));
    EXPECT_EQ(BuildHeaderBlock("", "A", 11), block("", "A", 8));
}

TEST(HeaderBlock, RowCountBelowOneDoesNotDivideByZero) {
    EXPECT_EQ(BuildHeaderBlock(std::string(10, 't'), "A", 0), block(std::string(10, 't'), "A", 3));
    EXPECT_EQ(BuildHeaderBlock(std::string(10, 't'), "A", -4), block(std::string(10, 't'), "A", 3));
}

TEST(SpliceHeaderBlock, ReplacesTheTwoHeadLines) {
    const std::string body = "\n\x81\x40\x96\x7b\x95\xb6\n\xff"; // LF　本文 LF, end byte
    std::string text = kYama + "\n" + kChosha + "\n" + body;
    SpliceHeaderBlock(text, 14, "<block>");
    EXPECT_EQ(text, "<block>" + body);
}

TEST(SpliceHeaderBlock, HeadLengthZeroRemovesNothing) {
    std::string text = kYama + "\nbody\xff";
    SpliceHeaderBlock(text, 0, "<block>");
    EXPECT_EQ(text, "<block>" + kYama + "\nbody\xff");
}

TEST(SpliceHeaderBlock, NeverRemovesMoreThanTheText) {
    std::string text = "T\nA";
    SpliceHeaderBlock(text, 14, "<block>");
    EXPECT_EQ(text, "<block>");

    text = "";
    SpliceHeaderBlock(text, 1, "<block>");
    EXPECT_EQ(text, "<block>");

    text = "T\nA\n";
    SpliceHeaderBlock(text, -3, "<block>");
    EXPECT_EQ(text, "<block>T\nA\n");
}

TEST(SpliceHeaderBlock, RecognisedHeadOfAFileAsRead) {
    // From the file as stored to the text the line-break step receives.
    const std::string file = "A/B: Z\r\nX|Y\r\n\r\n\x81\x40\x96\x7b\x95\xb6\r\n";
    engine::HeaderInfo info;
    const std::int32_t headLength = engine::RecognizeHeaderBytes(file, info);
    std::string text = "A/B: Z\nX|Y\n\n\x81\x40\x96\x7b\x95\xb6\n\xff"; // as the run reads it
    SpliceHeaderBlock(text, headLength, BuildHeaderBlock(info.title, info.author, 23));
    EXPECT_EQ(text, "\n\n\n\n" + spaces(2) +
                        "A\x81\x5e"
                        "B\x81\x46 Z\n\n" +
                        spaces(7) + "X\x81\x62Y" + std::string(8, '\n') +
                        "\n\x81\x40\x96\x7b\x95\xb6\n\xff");
}

// --- The confirmation question ----------------------------------------------------------------

namespace {

// Answers the Yes/No question from a script and records every call.
class ScriptedUi final : public engine::ConversionUi {
  public:
    explicit ScriptedUi(std::vector<bool> answers) : m_answers(std::move(answers)) {}

    bool AskYesNo(const std::string& text, const std::string& caption) override {
        questions.push_back({text, caption});
        if (m_next >= m_answers.size()) {
            ADD_FAILURE() << "unexpected question";
            return false;
        }
        return m_answers[m_next++];
    }
    std::optional<std::string> AskOutputPath(const std::string&, const std::string&) override {
        ADD_FAILURE() << "unexpected save question";
        return std::nullopt;
    }
    void SetBusyCursor(bool) override { ADD_FAILURE() << "unexpected cursor change"; }
    void ShowStatus(const std::string&, bool) override { ADD_FAILURE() << "unexpected status"; }
    void ReportFailure(const engine::Failure&) override { ADD_FAILURE() << "unexpected failure"; }
    void ProcessPendingEvents() override {}

    std::vector<std::pair<std::string, std::string>> questions;

  private:
    std::vector<bool> m_answers;
    std::size_t m_next = 0;
};

const std::string kCaption =
    "\x83\x77\x83\x62\x83\x5f\x94\x46\x8e\xaf\x8c\x8b\x89\xca"; // ヘッダ認識結果

} // namespace

TEST(ConfirmHeader, AsksTheExactQuestion) {
    ScriptedUi ui({true});
    EXPECT_TRUE(engine::ConfirmHeader(kYama, kChosha, ui));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].first,
              "\x83\x5e\x83\x43\x83\x67\x83\x8b\x20\x81\x46\x20" // タイトル ：_
              "\x8e\x52\x82\xcc\x93\xb9"                         // 山の道
              "\x0a\x92\x98\x8e\xd2\x20\x81\x46\x20"             // LF 著者 ：_
              "\x92\x98\x8e\xd2\x96\xbc"                         // 著者名
              "\x0a\x0a\x82\xc6\x94\x46\x8e\xaf\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42"
              "\x82\xb1\x82\xea\x82\xc5\x90\xb3\x82\xb5\x82\xa2\x82\xc5\x82\xb7\x82\xa9"
              "\x81\x48"); // LF LF と認識しました。これで正しいですか？
    EXPECT_EQ(ui.questions[0].second, kCaption);
    // The same bytes read as text.
    EXPECT_EQ(platform::Utf8FromShiftJis(ui.questions[0].first),
              "タイトル ： 山の道\n著者 ： 著者名\n\nと認識しました。これで正しいですか？");
    EXPECT_EQ(platform::Utf8FromShiftJis(ui.questions[0].second), "ヘッダ認識結果");
}

TEST(ConfirmHeader, NoIsFalse) {
    ScriptedUi ui({false});
    EXPECT_FALSE(engine::ConfirmHeader(kYama, kChosha, ui));
    EXPECT_EQ(ui.questions.size(), 1u);
}

TEST(ConfirmHeader, EmptyPartsLeaveNothingAfterTheColon) {
    ScriptedUi ui({true});
    EXPECT_TRUE(engine::ConfirmHeader("", "", ui));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(platform::Utf8FromShiftJis(ui.questions[0].first),
              "タイトル ： \n著者 ： \n\nと認識しました。これで正しいですか？");
}

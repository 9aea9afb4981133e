#include "header_block.h"

#include <algorithm>

namespace engine {
namespace {

constexpr std::string_view kFullWidthSpace = "\x81\x40"; // 　

} // namespace

bool ConfirmHeader(std::string_view title, std::string_view author, ConversionUi& ui) {
    std::string question = "\x83\x5e\x83\x43\x83\x67\x83\x8b\x20\x81\x46\x20"; // "タイトル ： "
    question.append(title);
    question.append("\n\x92\x98\x8e\xd2\x20\x81\x46\x20"); // "\n著者 ： "
    question.append(author);
    // "\n\nと認識しました。これで正しいですか？"
    question.append("\n\n\x82\xc6\x94\x46\x8e\xaf\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42"
                    "\x82\xb1\x82\xea\x82\xc5\x90\xb3\x82\xb5\x82\xa2\x82\xc5\x82\xb7\x82\xa9"
                    "\x81\x48");
    const std::string caption =
        "\x83\x77\x83\x62\x83\x5f\x94\x46\x8e\xaf\x8c\x8b\x89\xca"; // "ヘッダ認識結果"
    return ui.AskYesNo(question, caption);
}

std::string BuildHeaderBlock(std::string_view title, std::string_view author,
                             std::int32_t rowCount) {
    // Every 2 * rowCount bytes of title fill about one more column of the page; a closing LF is
    // taken away for each. A row count below 1 cannot come from the settings and counts as 1.
    const std::int64_t k =
        (static_cast<std::int64_t>(title.size()) / 2) / std::max<std::int64_t>(rowCount, 1);
    const std::int64_t closingFeeds = std::max<std::int64_t>(8 - k, 0);

    std::string block = "\n\n\n\n";
    for (int i = 0; i < 2; ++i)
        block.append(kFullWidthSpace);
    block.append(title);
    block.append("\n\n");
    for (int i = 0; i < 7; ++i)
        block.append(kFullWidthSpace);
    block.append(author);
    block.append(static_cast<std::size_t>(closingFeeds), '\n');
    return block;
}

void SpliceHeaderBlock(std::string& text, std::int32_t headLength, std::string_view block) {
    const std::size_t head =
        std::min(static_cast<std::size_t>(std::max<std::int32_t>(headLength, 0)), text.size());
    text.replace(0, head, block);
}

} // namespace engine

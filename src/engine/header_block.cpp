#include "header_block.h"

#include <algorithm>

namespace engine {
namespace {

constexpr std::string_view kFullWidthSpace = "\x81\x40"; // 　

} // namespace

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

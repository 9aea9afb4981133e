// Title and author recognition and the names and blocks made from them.
#include "engine/header_block.h"
#include "engine/header_recognition.h"
#include "engine/output_name.h"
#include "engine/text_stream.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string>

namespace {

// True when s ends inside a double-byte character (walked from its start).
bool endsInsideCharacter(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        i += ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
    }
    return i > s.size();
}

bool holdsReplacedCharacter(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
            ++i;
            continue;
        }
        if (std::string_view("\\/:,*?\"<>|").find(static_cast<char>(b)) != std::string_view::npos)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    std::string read(file);
    engine::MakeTextAsRead(read);

    engine::HeaderInfo info;
    const std::int32_t headLength = engine::RecognizeHeader(read, info);
    FUZZ_CHECK(headLength >= 0);
    FUZZ_CHECK(static_cast<std::size_t>(headLength) <=
               std::min<std::size_t>(read.size(), engine::kHeadSize));
    if (headLength > 0) {
        // The head is the two lines and their LFs, as read.
        FUZZ_CHECK(read[static_cast<std::size_t>(headLength) - 1] == '\n');
    }
    FUZZ_CHECK(!holdsReplacedCharacter(info.title) && !holdsReplacedCharacter(info.author));

    const std::string name = engine::ProposeOutputName(info.title, info.author);
    FUZZ_CHECK(name.size() <= engine::kMaxProposedNameBytes);
    FUZZ_CHECK(!endsInsideCharacter(name));

    // Any pair of strings, not only recognised ones, must give a name within the limit.
    const std::string_view title = file.substr(0, file.size() / 2);
    const std::string_view author = file.substr(file.size() / 2);
    const std::string anyName = engine::ProposeOutputName(title, author);
    FUZZ_CHECK(anyName.size() <= engine::kMaxProposedNameBytes);

    for (std::int32_t rows : {7, 10, 23}) {
        const std::string block = engine::BuildHeaderBlock(info.title, info.author, rows);
        FUZZ_CHECK(block.compare(0, 4, "\n\n\n\n") == 0);
        std::string text = read + engine::kEndByte;
        engine::SpliceHeaderBlock(text, headLength, block);
        FUZZ_CHECK(text.size() ==
                   read.size() + 1 - static_cast<std::size_t>(headLength) + block.size());
        FUZZ_CHECK(text.back() == engine::kEndByte);
    }
    return 0;
}

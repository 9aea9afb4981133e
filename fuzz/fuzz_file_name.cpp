// The head of a text -> title and author -> proposed name -> a name of this file system: never
// empty, never longer than a file name may be, never a folder separator, a NUL or a control byte.
#include "engine/header_recognition.h"
#include "engine/output_name.h"
#include "engine/text_stream.h"
#include "files/file_names.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string>

namespace {

void checkFileName(const std::string& name) {
    FUZZ_CHECK(!name.empty());
    FUZZ_CHECK(name.size() <= 255);
    FUZZ_CHECK(name != "." && name != "..");
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        FUZZ_CHECK(b != '/' && b >= 0x20 && b != 0x7F);
    }
}

bool holdsControlCharacter(const std::string& sjis) {
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (b < 0x20 || b == 0x7F)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    engine::MakeTextAsRead(text);
    engine::HeaderInfo info;
    engine::RecognizeHeader(text, info);
    const std::string name = engine::ProposeOutputName(info.title, info.author);
    FUZZ_CHECK(name.size() <= engine::kMaxProposedNameBytes);
    FUZZ_CHECK(!holdsControlCharacter(name));
    checkFileName(files::FileNameFromShiftJis(name));

    // Any two strings, recognised or not, give a name free of control bytes within the limit.
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string any =
        engine::ProposeOutputName(bytes.substr(0, size / 2), bytes.substr(size / 2));
    FUZZ_CHECK(any.size() <= engine::kMaxProposedNameBytes);
    FUZZ_CHECK(!holdsControlCharacter(any));
    return 0;
}

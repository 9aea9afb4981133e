#include "files/file_names.h"

#include <filesystem>

namespace files {

std::string FileNameFromShiftJis(std::string_view sjis) {
    // A lead byte followed by a byte that cannot be its second one decodes as U+FFFD and lets the
    // byte after it through alone, so a "/" or a control byte can come out of a title that held
    // none standing alone: they become the full-width slash, or are left out.
    constexpr bool backslashSeparates = std::filesystem::path::preferred_separator == '\\';
    std::string name;
    for (const char c : Utf8FromShiftJis(sjis)) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            continue;
        if (c == '/' || (backslashSeparates && c == '\\'))
            name += "\xEF\xBC\x8F"; // ／
        else
            name += c;
    }
    return name;
}

} // namespace files

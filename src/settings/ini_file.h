#pragma once

#include "files/atomic_file.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

using files::WriteStatus;

// Longest value a profile string read returns: a Windows profile buffer of 260 bytes less its
// terminating zero.
inline constexpr std::size_t kMaxProfileValueBytes = 259;

// An INI file held as its lines, read and changed the way Windows' private-profile functions read
// and change one. Section and key names are matched ignoring ASCII case and the blanks around
// them; values are the bytes after the first '=', blanks around them dropped. Values are kept as
// bytes (Shift_JIS or UTF-8 alike), never transcoded. Every line that is not the one being
// changed is kept byte for byte, in its place.
class IniDocument {
  public:
    IniDocument() = default;
    // Accepts CR LF and LF line ends alike.
    explicit IniDocument(std::string_view bytes);

    // The value of the first `key` in the first matching section that holds it; nothing when the
    // section or the key is missing. The view lives as long as the document, until it changes.
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;

    // Replaces the key's value in place, or appends the key after the last non-blank line of the
    // section, or appends the section and the key at the end. A key keeps its spelling. Fails,
    // changing nothing, for names or values that one INI line cannot hold.
    WriteStatus setValue(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes, every line ended by CR LF.
    std::string toBytes() const;

  private:
    std::vector<std::string> m_lines;
};

// What Windows' GetPrivateProfileInt makes of a value: optional sign and decimal digits read as a
// 32-bit number (wrapping as the 32 bits do); anything else reads as 0.
int ProfileIntFromValue(std::string_view value);

} // namespace settings

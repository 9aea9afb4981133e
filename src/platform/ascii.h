#pragma once
// ASCII letters without regard to case, for names that the system or a user may write in either
// case (registry keys, INI sections and keys). Every other byte compares as it is, whatever the
// locale, so no byte of a UTF-8 or code page 932 character is ever folded.

#include <cstddef>
#include <string_view>

namespace platform {

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

} // namespace platform

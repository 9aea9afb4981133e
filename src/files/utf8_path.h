#pragma once
// Paths are UTF-8 strings on every system; std::filesystem takes a std::string in the system's
// narrow encoding, which on Windows is not UTF-8.

#include <filesystem>
#include <string>

namespace files {

inline std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace files

#pragma once

#include <string>

namespace settings {

inline constexpr int kMaxDivisionSize = 5000;

// The nine persisted conversion settings, named by their settings-file keys.
struct Settings {
    int gyokan = 0;    // line spacing 0-4, -1 for no choice
    int charsize = 0;  // 0 normal, 1 double height, -1 for no choice
    int spaceline = 1; // 0 two-byte blank column, 1 one-byte blank column, 2 none, -1 no choice
    bool usereturn = false;
    bool useheader = false;
    bool useheadertofile = false;
    bool usedivision = false;
    int divisionsize = 1; // pages per output file, 1-5000
    std::string savepath; // at most 259 bytes, as the file system names the folder

    // Kept in a section of their own ("pagelume"), so that section "setting" holds the nine keys
    // above and nothing else.
    std::string encoding = "auto";  // of the sources: "auto", "sjis", "utf-8" or "euc-jp"
    bool aozora = false;            // take Aozora Bunko's notation out of the texts
    bool rubyInParentheses = false; // with aozora: keep ruby readings after their bases

    bool operator==(const Settings&) const = default;
};

} // namespace settings

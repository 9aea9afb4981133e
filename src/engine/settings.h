#pragma once
// The conversion settings: the record every front end fills and the run reads, the range of each
// setting and the names of the source encodings. Every check of a range and every list of names
// asks these.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// A numeric setting's choices, both ends included. Choice settings also take -1, "no choice",
// which the settings file gives for a stored negative value.
struct SettingRange {
    int low;
    int high;
    constexpr bool holds(int value) const { return value >= low && value <= high; }
    constexpr int clamp(int value) const {
        return value < low ? low : (value > high ? high : value);
    }
};

inline constexpr SettingRange kGyokanRange{0, 4};    // none, 2, 4 and 6 dots, newspaper mode
inline constexpr SettingRange kCharsizeRange{0, 1};  // normal, double height
inline constexpr SettingRange kSpacelineRange{0, 2}; // two-byte, one-byte, no blank column
inline constexpr SettingRange kDivisionSizeRange{1, 5000};
inline constexpr int kNoChoice = -1;
inline constexpr std::size_t kMaxSavePathBytes = 259;

// What a source's bytes are taken to be.
enum class Encoding {
    Auto,     // as a choice only: found out from the bytes
    ShiftJis, // code page 932
    Utf8,
    Utf16Le,
    Utf16Be,
    EucJp,
    Iso2022Jp,
};

// The encodings a user can choose, under the names of the setting "encoding" and of --encoding:
// every encoding a source is read in.
struct EncodingChoice {
    Encoding encoding;
    std::string_view name;
};
inline constexpr EncodingChoice kEncodingChoices[] = {
    {Encoding::Auto, "auto"},
    {Encoding::ShiftJis, "sjis"},
    {Encoding::Utf8, "utf-8"},
    {Encoding::Utf16Le, "utf-16le"},
    {Encoding::Utf16Be, "utf-16be"},
    {Encoding::EucJp, "euc-jp"},
    {Encoding::Iso2022Jp, "iso-2022-jp"},
};

constexpr std::optional<Encoding> EncodingFromName(std::string_view name) {
    for (const EncodingChoice& choice : kEncodingChoices) {
        if (choice.name == name)
            return choice.encoding;
    }
    return std::nullopt;
}

// The name of an encoding under which it is chosen.
constexpr std::string_view EncodingChoiceName(Encoding encoding) {
    for (const EncodingChoice& choice : kEncodingChoices) {
        if (choice.encoding == encoding)
            return choice.name;
    }
    return kEncodingChoices[0].name;
}

// The nine persisted conversion settings, named by their settings-file keys, and the program's
// own beside them.
struct Settings {
    int gyokan = 0;    // line spacing, kGyokanRange or kNoChoice
    int charsize = 0;  // character size, kCharsizeRange or kNoChoice
    int spaceline = 1; // blank columns, kSpacelineRange or kNoChoice
    bool usereturn = false;
    bool useheader = false;
    bool useheadertofile = false;
    bool usedivision = false;
    int divisionsize = 1; // pages per output file, kDivisionSizeRange
    std::string savepath; // at most kMaxSavePathBytes, as the file system names the folder

    Encoding encoding = Encoding::Auto; // of the sources
    bool aozora = false;                // take Aozora Bunko's notation out of the texts
    bool rubyInParentheses = false;     // with aozora: keep ruby readings after their bases
    bool kinsoku = false;               // no column starts with a closing mark or a small kana
    bool tcyDigits = false;             // a number of two digits stands in one cell
    // The window writes every entry into savepath under its proposed name, with no save dialog.
    bool saveWithoutAsking = false;

    bool operator==(const Settings&) const = default;
};

// Whether every setting lies within its range (a choice may also be kNoChoice).
constexpr bool SettingsAreValid(const Settings& s) {
    const auto choice = [](SettingRange range, int value) {
        return value == kNoChoice || range.holds(value);
    };
    return choice(kGyokanRange, s.gyokan) && choice(kCharsizeRange, s.charsize) &&
           choice(kSpacelineRange, s.spaceline) && kDivisionSizeRange.holds(s.divisionsize);
}

} // namespace engine

#include "ini_file.h"

#include "platform/ascii.h"

#include <cstdint>

namespace settings {
namespace {

// Blanks that Windows drops around names and values. None of them can be the second byte of a
// Shift_JIS character (those are 0x40 and above), so trimming never splits a character.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "[name]" with blanks allowed around the brackets and the name; the name ends at the first ']'.
std::optional<std::string_view> SectionNameOf(std::string_view line) {
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    const auto close = text.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trimmed(text.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// "key=value": the key is everything before the first '=', the value everything after it.
std::optional<KeyLine> KeyLineOf(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1))};
}

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

struct Location {
    std::optional<std::size_t> keyLine;
    // One past the last non-blank line of the first matching section, where a new key goes.
    std::optional<std::size_t> sectionEnd;
};

Location Locate(const std::vector<std::string>& lines, std::string_view section,
                std::string_view key) {
    Location found;
    bool inMatch = false;
    bool inFirstMatch = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (const auto name = SectionNameOf(line)) {
            inMatch = platform::equalsIgnoringAsciiCase(*name, section);
            inFirstMatch = inMatch && !found.sectionEnd;
            if (inFirstMatch)
                found.sectionEnd = i + 1;
            continue;
        }
        if (!inMatch)
            continue;
        if (const auto entry = KeyLineOf(line);
            entry && platform::equalsIgnoringAsciiCase(entry->key, key)) {
            found.keyLine = i;
            return found;
        }
        if (inFirstMatch && !Trimmed(line).empty())
            found.sectionEnd = i + 1;
    }
    return found;
}

} // namespace

IniDocument::IniDocument(std::string_view bytes) {
    // Lines end at LF; a CR right before it belongs to the line end. A file that ends with a line
    // end has no empty line after it.
    while (!bytes.empty()) {
        const auto lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_lines.emplace_back(line);
        if (lf == std::string_view::npos)
            break;
        bytes.remove_prefix(lf + 1);
    }
}

std::optional<std::string_view> IniDocument::value(std::string_view section,
                                                   std::string_view key) const {
    section = Trimmed(section);
    key = Trimmed(key);
    const Location where = Locate(m_lines, section, key);
    if (!where.keyLine)
        return std::nullopt;
    return KeyLineOf(m_lines[*where.keyLine])->value;
}

WriteStatus IniDocument::setValue(std::string_view section, std::string_view key,
                                  std::string_view value) {
    section = Trimmed(section);
    key = Trimmed(key);
    if (section.empty() || HoldsLineBreak(section) || section.find(']') != std::string_view::npos)
        return WriteStatus::Failure("the section name cannot be stored in a settings file",
                                    engine::kUnstorableValueCode);
    if (key.empty() || HoldsLineBreak(key) || key.find('=') != std::string_view::npos ||
        key.front() == '[')
        return WriteStatus::Failure("the key name cannot be stored in a settings file",
                                    engine::kUnstorableValueCode);
    if (HoldsLineBreak(value))
        return WriteStatus::Failure("a value with a line break cannot be stored in a settings file",
                                    engine::kUnstorableValueCode);

    const Location where = Locate(m_lines, section, key);
    if (where.keyLine) {
        std::string& line = m_lines[*where.keyLine];
        line = std::string(KeyLineOf(line)->key) + "=" + std::string(value);
    } else {
        std::string line = std::string(key) + "=" + std::string(value);
        if (where.sectionEnd) {
            m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(*where.sectionEnd),
                           std::move(line));
        } else {
            m_lines.push_back("[" + std::string(section) + "]");
            m_lines.push_back(std::move(line));
        }
    }
    return WriteStatus::Success();
}

std::string IniDocument::toBytes() const {
    std::string bytes;
    for (const std::string& line : m_lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

int ProfileIntFromValue(std::string_view value) {
    value = Trimmed(value);
    bool negative = false;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    // Unsigned arithmetic wraps at 32 bits without overflowing; the cast back to int32 is
    // modular in C++20.
    std::uint32_t number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            break;
        number = number * 10u + static_cast<std::uint32_t>(c - '0');
    }
    if (negative)
        number = 0u - number;
    return static_cast<std::int32_t>(number);
}

} // namespace settings

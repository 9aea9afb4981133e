#include "platform/wine_registry.h"

#include "platform/ascii.h"
#include "platform/small_file.h"

#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace platform {
namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>(asciiLower(c) - 'a' + 10);
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Builds UTF-8 from the registry's UTF-16 code units. A high surrogate waits for the low one
// that must follow it; a surrogate without its partner becomes U+FFFD.
class Utf8Builder {
  public:
    void addUnit(char16_t unit) {
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            flushPendingSurrogate();
            m_highSurrogate = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (m_highSurrogate) {
                appendUtf8(m_out, 0x10000 + ((char32_t(m_highSurrogate) - 0xD800) << 10) +
                                      (char32_t(unit) - 0xDC00));
                m_highSurrogate = 0;
            } else {
                appendUtf8(m_out, 0xFFFD);
            }
        } else {
            flushPendingSurrogate();
            appendUtf8(m_out, unit);
        }
    }

    // A byte written into the file as it stands; bytes above 0x7F are taken to be UTF-8 already.
    void addByte(char byte) {
        flushPendingSurrogate();
        m_out += byte;
    }

    std::string finish() {
        flushPendingSurrogate();
        return std::move(m_out);
    }

  private:
    void flushPendingSurrogate() {
        if (m_highSurrogate)
            appendUtf8(m_out, 0xFFFD);
        m_highSurrogate = 0;
    }

    std::string m_out;
    char16_t m_highSurrogate = 0;
};

// Reads an escaped name or string from text[pos] up to the unescaped `terminator` and leaves
// `pos` after it. Wine escapes the backslash and the quoting characters with a backslash, and
// writes control characters as C escapes (\n, \t, ...) or octal (\0, \033), and every code unit
// above 0x7F as \x and one to four hex digits. nullopt when the terminator is missing.
std::optional<std::string> readEscaped(std::string_view text, std::size_t& pos, char terminator) {
    Utf8Builder out;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == terminator)
            return out.finish();
        if (c != '\\') {
            out.addByte(c);
            continue;
        }
        if (pos >= text.size())
            return std::nullopt;
        const char escaped = text[pos++];
        switch (escaped) {
        case 'a':
            out.addUnit(0x07);
            break;
        case 'b':
            out.addUnit(0x08);
            break;
        case 't':
            out.addUnit(0x09);
            break;
        case 'n':
            out.addUnit(0x0A);
            break;
        case 'v':
            out.addUnit(0x0B);
            break;
        case 'f':
            out.addUnit(0x0C);
            break;
        case 'r':
            out.addUnit(0x0D);
            break;
        case 'e':
            out.addUnit(0x1B);
            break;
        case 'x': {
            unsigned unit = 0;
            int digits = 0;
            while (digits < 4 && pos < text.size() && isHexDigit(text[pos])) {
                unit = unit * 16 + hexDigitValue(text[pos++]);
                ++digits;
            }
            if (digits == 0)
                out.addByte('x'); // "\x" with no digits stands for the letter
            else
                out.addUnit(static_cast<char16_t>(unit));
            break;
        }
        default:
            if (escaped >= '0' && escaped <= '7') {
                unsigned unit = static_cast<unsigned>(escaped - '0');
                for (int digits = 1;
                     digits < 3 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7';
                     ++digits)
                    unit = unit * 8 + static_cast<unsigned>(text[pos++] - '0');
                out.addUnit(static_cast<char16_t>(unit));
            } else {
                out.addByte(escaped); // \\, \", \[, \] and the like stand for themselves
            }
        }
    }
    return std::nullopt;
}

// A registry string ends at its first NUL, as every reader of it would see it.
std::string cutAtNul(std::string text) {
    if (const std::size_t end = text.find('\0'); end != std::string::npos)
        text.resize(end);
    return text;
}

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Reads a hexadecimal type number up to ')' and leaves `pos` after it.
std::optional<unsigned> readTypeNumber(std::string_view text, std::size_t& pos) {
    unsigned type = 0;
    const std::size_t start = pos;
    while (pos < text.size() && isHexDigit(text[pos]) && pos - start < 8)
        type = type * 16 + hexDigitValue(text[pos++]);
    if (pos == start || pos >= text.size() || text[pos] != ')')
        return std::nullopt;
    ++pos;
    return type;
}

// "41,00,42,00": the bytes of a hex: value, its line continuations already joined.
std::optional<std::vector<unsigned char>> readHexBytes(std::string_view text) {
    std::vector<unsigned char> bytes;
    text = trimRight(trimLeft(text));
    while (!text.empty()) {
        if (text.size() < 2 || !isHexDigit(text[0]) || !isHexDigit(text[1]))
            return std::nullopt;
        bytes.push_back(
            static_cast<unsigned char>(hexDigitValue(text[0]) * 16 + hexDigitValue(text[1])));
        text = trimLeft(text.substr(2));
        if (text.empty())
            break;
        if (text.front() != ',')
            return std::nullopt;
        text = trimLeft(text.substr(1));
    }
    return bytes;
}

// UTF-16LE bytes as UTF-8; an odd last byte cannot form a code unit and is dropped.
std::string utf8FromUtf16Bytes(const std::vector<unsigned char>& bytes) {
    Utf8Builder out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        out.addUnit(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return out.finish();
}

constexpr unsigned kRegSz = 1;
constexpr unsigned kRegExpandSz = 2;

// What the text after "=" holds. nullopt for data in no form the file format knows.
std::optional<RegistryString> interpretData(std::string_view data) {
    const RegistryString notAString{RegistryStringStatus::NotAString, {}};
    std::size_t pos = 0;
    if (data.starts_with("\"")) {
        pos = 1;
        if (auto text = readEscaped(data, pos, '"'))
            return RegistryString{RegistryStringStatus::Found, cutAtNul(std::move(*text))};
        return std::nullopt;
    }
    if (data.starts_with("str(")) {
        pos = 4;
        const std::optional<unsigned> type = readTypeNumber(data, pos);
        if (!type || !data.substr(pos).starts_with(":\""))
            return std::nullopt;
        pos += 2;
        std::optional<std::string> text = readEscaped(data, pos, '"');
        if (!text)
            return std::nullopt;
        if (*type != kRegSz && *type != kRegExpandSz)
            return notAString;
        return RegistryString{RegistryStringStatus::Found, cutAtNul(std::move(*text))};
    }
    if (data.starts_with("hex(")) {
        pos = 4;
        const std::optional<unsigned> type = readTypeNumber(data, pos);
        if (!type || pos >= data.size() || data[pos] != ':')
            return std::nullopt;
        const std::optional<std::vector<unsigned char>> bytes = readHexBytes(data.substr(pos + 1));
        if (!bytes)
            return std::nullopt;
        // Wine stores a string whose data is not a clean NUL-ended UTF-16 text as hex bytes;
        // it is still a string to whoever queries it.
        if (*type != kRegSz && *type != kRegExpandSz)
            return notAString;
        return RegistryString{RegistryStringStatus::Found, cutAtNul(utf8FromUtf16Bytes(*bytes))};
    }
    if (data.starts_with("hex:") || data.starts_with("dword:"))
        return notAString;
    return std::nullopt;
}

class LineReader {
  public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    // The next line without its line break (LF or CR LF); nullopt after the last.
    std::optional<std::string_view> next() {
        if (m_pos >= m_text.size())
            return std::nullopt;
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
            end = m_text.size();
        std::string_view line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

  private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// `folder`/`name`, where a name that does not exist as spelt takes the spelling of an entry
// that matches it without regard to ASCII case.
std::filesystem::path childIgnoringCase(const std::filesystem::path& folder,
                                        std::string_view name) {
    const std::filesystem::path exact = folder / pathFromUtf8(name);
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(exact, ec)))
        return exact;
    std::filesystem::directory_iterator entries(folder, ec);
    if (ec)
        return exact;
    for (const std::filesystem::directory_entry& entry : entries) {
        if (equalsIgnoringAsciiCase(utf8FromPath(entry.path().filename()), name))
            return entry.path();
    }
    return exact;
}

} // namespace

RegistryString FindWineRegistryString(std::string_view regText, std::string_view keyName,
                                      std::string_view valueName) {
    RegistryString result;
    bool inKey = false;
    LineReader lines(regText);
    while (std::optional<std::string_view> line = lines.next()) {
        if (line->empty())
            continue;
        // "[Software\\Sony Corporation\\...] 1700000000": a key, with its time stamp.
        if (line->front() == '[') {
            std::size_t pos = 1;
            const std::optional<std::string> name = readEscaped(*line, pos, ']');
            inKey = name && equalsIgnoringAsciiCase(*name, keyName);
            continue;
        }
        // Values are "name"=data or @=data for the default value; other lines (comments,
        // #time=..., the header) carry nothing we read.
        if (line->front() != '"' && line->front() != '@')
            continue;
        std::size_t pos = 1;
        std::optional<std::string> name;
        if (line->front() == '"') {
            name = readEscaped(*line, pos, '"');
            if (!name)
                continue;
        }
        std::string_view afterName = trimLeft(line->substr(pos));
        if (afterName.empty() || afterName.front() != '=')
            continue;
        std::string data(trimLeft(afterName.substr(1)));
        // Hex data goes on over the following lines while a line ends with a backslash; they
        // have to be taken here so that they are not read as lines of their own.
        if (data.starts_with("hex")) {
            while (!trimRight(data).empty() && trimRight(data).back() == '\\') {
                data.resize(trimRight(data).size() - 1);
                const std::optional<std::string_view> continuation = lines.next();
                if (!continuation)
                    break;
                data += trimLeft(*continuation);
            }
        }
        if (!inKey || !name || !equalsIgnoringAsciiCase(*name, valueName))
            continue;
        if (std::optional<RegistryString> value = interpretData(data))
            result = std::move(*value);
    }
    return result;
}

std::optional<std::filesystem::path> WinePrefixFromEnv(const EnvLookup& env) {
    if (std::optional<std::filesystem::path> prefix = env("WINEPREFIX");
        prefix && !prefix->empty()) {
        // Wine itself refuses a relative prefix, so nothing can be running there.
        if (!prefix->is_absolute())
            return std::nullopt;
        return prefix;
    }
    std::optional<std::filesystem::path> home = env("HOME");
    if (!home || home->empty() || !home->is_absolute())
        return std::nullopt;
    return *home / ".wine";
}

std::optional<std::filesystem::path> HostPathFromWinePath(const std::filesystem::path& winePrefix,
                                                          std::string_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':')
        return std::nullopt;
    const char drive = asciiLower(windowsPath[0]);
    if (drive < 'a' || drive > 'z')
        return std::nullopt;

    // dosdevices/c: is normally a link to ../drive_c (z: to /); following it gives the path a
    // user recognises. An entry that is a plain folder serves as it is.
    const std::filesystem::path device = winePrefix / "dosdevices" / std::string{drive, ':'};
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::symlink_status(device, ec);
    if (ec || !std::filesystem::exists(status))
        return std::nullopt;
    std::filesystem::path root = device;
    if (std::filesystem::is_symlink(status)) {
        const std::filesystem::path target = std::filesystem::read_symlink(device, ec);
        if (ec)
            return std::nullopt;
        root = (target.is_absolute() ? target : device.parent_path() / target).lexically_normal();
    }

    // Windows takes both slashes as separators, and ".." stops at the drive's root.
    std::vector<std::string_view> parts;
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }

    std::filesystem::path host = root;
    for (std::string_view part : parts)
        host = childIgnoringCase(host, part);
    return host;
}

RegistryString ReadInfoCarryHomeFromWine(const std::filesystem::path& winePrefix) {
    RegistryString home;
    try {
        const std::optional<std::string> text =
            ReadSmallRegularFile(winePrefix / "user.reg", kMaxUserRegBytes);
        if (!text)
            return {};
        home = FindWineRegistryString(*text, kInfoCarryManagerKey, kHomePathValueName);
    } catch (const std::bad_alloc&) {
        return {}; // the home folder is a convenience, not worth failing the start for
    }
    if (home.status != RegistryStringStatus::Found)
        return home;
    const std::optional<std::filesystem::path> host = HostPathFromWinePath(winePrefix, home.value);
    if (!host)
        return {};
    return {RegistryStringStatus::Found, utf8FromPath(*host)};
}

} // namespace platform

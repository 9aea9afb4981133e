#include "header_recognition.h"

#include "sjis.h"

namespace engine {
namespace {

// The last position of the working copy (below) that the scan examines.
constexpr std::int32_t kScanWindowEnd = 299;

// Full-width form of a one-byte character that a file name cannot hold, or empty. The comma is
// replaced too, though a file name may hold it.
std::string_view fileNameSafeForm(unsigned char b) {
    switch (b) {
    case '\\':
        return "\x81\x8f"; // ￥
    case '/':
        return "\x81\x5e"; // ／
    case ':':
        return "\x81\x46"; // ：
    case ',':
        return "\x81\x43"; // ，
    case '*':
        return "\x81\x96"; // ＊
    case '?':
        return "\x81\x48"; // ？
    case '"':
        return "\x81\x68"; // ”
    case '<':
        return "\x81\x83"; // ＜
    case '>':
        return "\x81\x84"; // ＞
    case '|':
        return "\x81\x62"; // ｜
    default:
        return {};
    }
}

// The scan works on a working copy of the head in which every LF is a CR LF pair and every
// replaced character has grown to two bytes, and it examines positions 1 to 299 of that copy only.
// Both kinds of growth therefore pull the window's end towards the head's start. The copy is not
// built: `p` tracks where the character at head[i] would stand in it.
//
// The second byte of a double-byte character is never replaced (ソ is 0x83 0x5C). A line break is
// never taken as a second byte, though: a stray lead byte right before it is a character of its
// own, so the break still ends the line and headLength never reaches into the third line.
std::int32_t scanHead(std::string_view head, HeaderInfo& info) {
    std::int32_t p = 1;
    std::int32_t replacements = 0;
    bool titlePending = true;
    std::string line;
    std::size_t i = 0;
    while (i < head.size() && p <= kScanWindowEnd) {
        const unsigned char b = byteAt(head, i);
        if (b == '\n') {
            if (!titlePending) {
                info.author = std::move(line);
                // The copy's bytes before this CR, less one per replacement, are the two lines and
                // the first break's CR LF: exactly the two lines and their two LFs as read.
                return p - 1 - replacements;
            }
            info.title = std::move(line);
            line.clear();
            titlePending = false;
            p += 2;
            ++i;
            continue;
        }
        const bool breakFollows = i + 1 < head.size() && byteAt(head, i + 1) == '\n';
        const std::size_t length = breakFollows ? 1 : charLengthAt(head, i);
        if (length == 1) {
            if (const std::string_view safe = fileNameSafeForm(b); !safe.empty()) {
                line.append(safe);
                p += 2;
                ++replacements;
                ++i;
                continue;
            }
        }
        line.append(head.substr(i, length));
        p += static_cast<std::int32_t>(length);
        i += length;
    }
    return 0;
}

} // namespace

std::int32_t RecognizeHeader(std::string_view textAsRead, HeaderInfo& info) {
    return scanHead(textAsRead.substr(0, kHeadSize), info);
}

} // namespace engine

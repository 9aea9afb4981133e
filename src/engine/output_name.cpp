#include "output_name.h"

#include "sjis.h"

namespace engine {
namespace {

constexpr std::string_view kEllipsis = "\x81\x63"; // …

// A line that ends in a lead byte without its second byte would take the bracket after it for
// that second byte; such a stray byte is left out of the name.
std::string_view withoutStrayLeadByte(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t length = charLengthAt(s, i);
        if (length == 1 && i + 1 == s.size() && isLeadByte(byteAt(s, i)))
            return s.substr(0, i);
        i += length;
    }
    return s;
}

} // namespace

std::string CutToBytes(std::string_view s, std::size_t n) {
    if (n >= s.size())
        return std::string(s);
    std::size_t end = 0;
    while (end < n) {
        const std::size_t length = charLengthAt(s, end);
        if (end + length > n)
            break;
        end += length;
    }
    return std::string(s.substr(0, end));
}

// Brackets and marks take 2 bytes when nothing is cut and 4 when one part is ("…[" or "…]" and
// the other bracket) or 6 when both are, so each case below keeps the name within 36 bytes.
std::string ProposeOutputName(std::string_view title, std::string_view author) {
    title = withoutStrayLeadByte(title);
    author = withoutStrayLeadByte(author);
    const std::size_t lenT = title.size();
    const std::size_t lenA = author.size();
    std::string name;
    if (lenT + lenA <= 34) {
        name.append(title).append("[").append(author).append("]");
    } else if (lenT <= 18) {
        name.append(title).append("[").append(CutToBytes(author, 32 - lenT));
        name.append(kEllipsis).append("]");
    } else if (lenA <= 16) {
        name.append(CutToBytes(title, 32 - lenA)).append(kEllipsis);
        name.append("[").append(author).append("]");
    } else {
        name.append(CutToBytes(title, 16)).append(kEllipsis).append("[");
        name.append(CutToBytes(author, 14)).append(kEllipsis).append("]");
    }
    return name;
}

} // namespace engine

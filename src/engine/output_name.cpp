#include "output_name.h"

#include "sjis.h"
#include "source_files.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <span>

namespace engine {
namespace {

// Where the file name starts in a path: after the last folder separator, which is "/" here and
// also "\\" on systems that use that one.
std::size_t fileNameStart(const std::string& path) {
    constexpr bool backslashSeparates = std::filesystem::path::preferred_separator == '\\';
    const std::size_t slash = path.find_last_of(backslashSeparates ? "/\\" : "/");
    return slash == std::string::npos ? 0 : slash + 1;
}

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

// Control bytes (below 0x20, and 0x7F) have no place in a file name: a NUL would end it early,
// and a TAB or an escape would make a name no one can type. A character that holds one, as its
// only byte or as the second of two, is left out whole.
std::string withoutControlCharacters(std::string_view s) {
    const auto isControl = [](unsigned char b) { return b < 0x20 || b == 0x7F; };
    std::string kept;
    kept.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t length = charLengthAt(s, i);
        bool control = false;
        for (std::size_t k = i; k < i + length; ++k)
            control = control || isControl(byteAt(s, k));
        if (!control)
            kept.append(s.substr(i, length));
        i += length;
    }
    return kept;
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

namespace {

// The parts of a proposed name: title and author as kept, and whether each was cut short.
struct NameParts {
    std::string title;
    std::string author;
    bool titleCut = false;
    bool authorCut = false;
};

// Brackets and marks take 2 bytes when nothing is cut and 4 when one part is ("…[" or "…]" and
// the other bracket) or 6 when both are, so each case below keeps the name within 36 bytes.
NameParts nameParts(std::string_view titleAsRecognised, std::string_view authorAsRecognised) {
    const std::string titleKept = withoutControlCharacters(titleAsRecognised);
    const std::string authorKept = withoutControlCharacters(authorAsRecognised);
    const std::string_view title = withoutStrayLeadByte(titleKept);
    const std::string_view author = withoutStrayLeadByte(authorKept);
    const std::size_t lenT = title.size();
    const std::size_t lenA = author.size();
    if (lenT + lenA <= 34)
        return {std::string(title), std::string(author)};
    if (lenT <= 18)
        return {std::string(title), CutToBytes(author, 32 - lenT), false, true};
    if (lenA <= 16)
        return {CutToBytes(title, 32 - lenA), std::string(author), true, false};
    return {CutToBytes(title, 16), CutToBytes(author, 14), true, true};
}

std::size_t getaCount(std::string_view sjis) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < sjis.size(); i += charLengthAt(sjis, i))
        count += sjis.substr(i, 2) == kGeta;
    return count;
}

// The first `n` of `lost`, or as many as it has.
std::vector<std::string> firstOf(std::span<const std::string> lost, std::size_t n) {
    return {lost.begin(), lost.begin() + static_cast<std::ptrdiff_t>(std::min(n, lost.size()))};
}

} // namespace

std::string ProposeOutputName(std::string_view titleAsRecognised,
                              std::string_view authorAsRecognised) {
    const NameParts parts = nameParts(titleAsRecognised, authorAsRecognised);
    std::string name = parts.title;
    if (parts.titleCut)
        name.append(kEllipsis);
    name.append("[").append(parts.author);
    if (parts.authorCut)
        name.append(kEllipsis);
    name.append("]");
    return name;
}

LostCharacters SplitLostCharacters(std::string_view title, std::string_view author,
                                   std::span<const std::string> lost) {
    const std::size_t inTitle = getaCount(title);
    if (lost.size() < inTitle)
        return {firstOf(lost, inTitle), {}};
    return {firstOf(lost, inTitle), firstOf(lost.subspan(inTitle), getaCount(author))};
}

std::vector<std::string> LostInOutputName(std::string_view title, std::string_view author,
                                          const LostCharacters& lost) {
    const NameParts parts = nameParts(title, author);
    std::vector<std::string> inName = firstOf(lost.title, getaCount(parts.title));
    // The author's stand after every 〓 of the title, shown or not.
    if (inName.size() == getaCount(parts.title)) {
        for (std::string& c : firstOf(lost.author, getaCount(parts.author)))
            inName.push_back(std::move(c));
    }
    return inName;
}

std::string FileNameOf(const std::string& path) {
    if (const std::optional<MemberSource> member = AsMemberSource(path)) {
        const std::size_t slash = member->member.find_last_of("/\\");
        return std::string(slash == std::string_view::npos ? member->member
                                                           : member->member.substr(slash + 1));
    }
    return path.substr(fileNameStart(path));
}

std::string NumberedOutputName(const std::string& chosenPath, std::int64_t fileNumber) {
    const std::size_t dot = chosenPath.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot >= fileNameStart(chosenPath);
    const std::string stem = hasExtension ? chosenPath.substr(0, dot) : chosenPath;
    return stem + "_" + std::to_string(fileNumber) + ".txt";
}

std::vector<std::string> SplitOutputNames(const std::string& chosenPath, std::int64_t pages,
                                          std::int64_t pagesPerFile, bool bySize) {
    if (pagesPerFile < 1)
        pagesPerFile = 1;
    // Numbered names when the size estimate says the text will not fit one file, and also when the
    // pages, counted beforehand, will not: otherwise later files would replace earlier ones.
    if (!bySize && pages <= pagesPerFile)
        return {chosenPath};
    std::vector<std::string> names;
    const std::int64_t files = std::max<std::int64_t>(1, (pages + pagesPerFile - 1) / pagesPerFile);
    names.reserve(static_cast<std::size_t>(files));
    for (std::int64_t n = 1; n <= files; ++n)
        names.push_back(NumberedOutputName(chosenPath, n));
    return names;
}

} // namespace engine

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// The longest start of `s` that is at most n bytes long and does not end inside a double-byte
// character (so n bytes, or n - 1 when byte n would be a lead byte). `s` whole when n reaches its
// length.
std::string CutToBytes(std::string_view s, std::size_t n);

// A proposed name is never longer than this.
inline constexpr std::size_t kMaxProposedNameBytes = 36;

// The output name made from title and author: title + "[" + author + "]", with the title, the
// author or both cut short and marked by "…" where the whole would exceed 36 bytes. No folder and
// no extension. Characters holding a control byte (below 0x20, or 0x7F) are left out first.
std::string ProposeOutputName(std::string_view title, std::string_view author);

// The characters of a source in another encoding that code page 932 lacks, each written as 〓:
// what each 〓 of the title and of the author stands for, in order (UTF-8).
struct LostCharacters {
    std::vector<std::string> title;
    std::vector<std::string> author;
};

// Shares out the lost characters of a text's head (`lost`, in the order of its 〓s) between the
// recognised title and author, which are its first two lines.
LostCharacters SplitLostCharacters(std::string_view title, std::string_view author,
                                   std::span<const std::string> lost);

// What the 〓s of ProposeOutputName(title, author) stand for, in order: as many as are known.
std::vector<std::string> LostInOutputName(std::string_view title, std::string_view author,
                                          const LostCharacters& lost);

// The file name of `path`: what follows its last folder separator ("/", and also "\\" on systems
// that use that one). For a member of a zip, the member's own name without its folders (which
// "/" separates, and "\\" too in zips made on Windows).
std::string FileNameOf(const std::string& path);

// The name of file `fileNumber` of a split output: the chosen path without its extension (from its
// last "." in the file name on), "_", the number, ".txt".
std::string NumberedOutputName(const std::string& chosenPath, std::int64_t fileNumber);

// The size test of a split: numbered names when the rows of one full file (42 bytes each on disk)
// come to less than the text's length in bytes, end byte included.
constexpr bool SplitBySize(std::int64_t pagesPerFile, std::int32_t rowCount,
                           std::int64_t textLength) {
    return pagesPerFile * rowCount * 42 < textLength;
}

// The paths a split output of `pages` pages goes to: numbered names when the size test
// (`bySize`) or the pages say one file will not do, else the chosen path alone.
std::vector<std::string> SplitOutputNames(const std::string& chosenPath, std::int64_t pages,
                                          std::int64_t pagesPerFile, bool bySize);

} // namespace engine

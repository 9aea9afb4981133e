// Page counts, pages per file and a chosen path -> the names of a split output: as many files as
// the pages need, each name its own, in the chosen folder, numbered from 1 and ending in ".txt".
#include "engine/output_name.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9)
        return 0;
    std::uint32_t pagesBits = 0;
    std::int32_t perFile = 0;
    std::memcpy(&pagesBits, data, 4);
    std::memcpy(&perFile, data + 4, 4);
    const bool bySize = data[8] & 1;
    const std::int64_t pages = 1 + pagesBits % 2000; // a text has at least one page
    const std::string chosen(reinterpret_cast<const char*>(data + 9),
                             std::min<std::size_t>(size - 9, 200));

    const std::vector<std::string> names = engine::SplitOutputNames(chosen, pages, perFile, bySize);
    FUZZ_CHECK(!names.empty());
    const std::int64_t pagesPerFile = perFile < 1 ? 1 : perFile;
    if (names.size() == 1 && names.front() == chosen && !bySize) {
        FUZZ_CHECK(pages <= pagesPerFile);
        return 0;
    }
    FUZZ_CHECK(static_cast<std::int64_t>(names.size()) ==
               (pages + pagesPerFile - 1) / pagesPerFile);
    const std::size_t slash = chosen.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : chosen.substr(0, slash + 1);
    std::set<std::string> distinct;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string ending = "_" + std::to_string(i + 1) + ".txt";
        FUZZ_CHECK(names[i].size() >= ending.size() &&
                   names[i].compare(names[i].size() - ending.size(), ending.size(), ending) == 0);
        FUZZ_CHECK(names[i].compare(0, folder.size(), folder) == 0);
        FUZZ_CHECK(names[i].find('/', folder.size()) == std::string::npos);
        distinct.insert(names[i]);
    }
    FUZZ_CHECK(distinct.size() == names.size());
    return 0;
}

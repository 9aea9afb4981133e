#include "page_size_estimate.h"

#include <cstdint>

namespace settings {

std::optional<int> BytesPerPage(int gyokan, int charsize) {
    static constexpr int normal[] = {968, 800, 674, 590, 484};
    static constexpr int doubleHeight[] = {422, 380, 338, 296, 484};
    if (gyokan < 0 || gyokan > 4)
        return std::nullopt;
    return charsize == 0 ? normal[gyokan] : doubleHeight[gyokan];
}

std::optional<int> PageSizeEstimateKb(int gyokan, int charsize, int pagesPerFile) {
    const auto bytesPerPage = BytesPerPage(gyokan, charsize);
    if (!bytesPerPage)
        return std::nullopt;
    // The count is at most 16 bits wide, so the 32-bit product the window has always shown
    // cannot overflow; 64 bits keep any other int exact as well. Division truncates toward zero.
    const std::int64_t bytes = std::int64_t{pagesPerFile} * *bytesPerPage;
    return static_cast<int>(bytes / 1024);
}

std::string PageSizeLabelText(int kilobytes) {
    // "ページごと (" in Shift_JIS: ペ 83 79, ー 81 5B, ジ 83 57, ご 82 B2, と 82 C6.
    return "\x83\x79\x81\x5B\x83\x57\x82\xB2\x82\xC6 (" + std::to_string(kilobytes) + "KB)";
}

std::string PageSizeLabelTextUtf8(int kilobytes) {
    return "ページごと (" + std::to_string(kilobytes) + "KB)";
}

} // namespace settings

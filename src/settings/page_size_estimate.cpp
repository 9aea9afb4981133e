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

} // namespace settings

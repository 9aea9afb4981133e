#include "page_geometry.h"

namespace engine {

std::int32_t RowCountFor(int gyokan, int charsize) {
    static constexpr std::int32_t normal[] = {23, 19, 16, 14, 11};
    static constexpr std::int32_t doubleHeight[] = {10, 9, 8, 7, 11};
    if (gyokan < 0 || gyokan > 4)
        gyokan = 0;
    return charsize == 0 ? normal[gyokan] : doubleHeight[gyokan];
}

bool IsValidGeometry(const PageGeometry& g) {
    if (g.rowCount < 1 || g.rowCount > kMaxRows || g.columnSlots < 2 || g.columnSlots % 2 != 0)
        return false;
    const std::int64_t spacer = static_cast<std::int64_t>(g.spacer.size());
    if (spacer < 1 || spacer > 2)
        return false;
    const std::int64_t columns = g.columnSlots / 2;
    return columns * 2 + columns * spacer + (spacer == 1 ? 1 : 0) <= kRowWidth;
}

PageGeometry MakePageGeometry(int gyokan, int charsize, int spaceline) {
    PageGeometry g;
    g.rowCount = RowCountFor(gyokan, charsize);
    g.textLength = 0;
    if (spaceline == 1) {
        g.columnSlots = 26;
        g.spacer = " ";
    } else {
        g.columnSlots = 20;
        g.spacer = "\x81\x40";
    }
    return g;
}

} // namespace engine

#include "page_writer.h"

#include <cstdint>
#include <cstring>

namespace engine {

void AppendAsTextStream(std::string& out, std::string_view bytes) {
    std::size_t from = 0;
    while (from < bytes.size()) {
        const void* lf = std::memchr(bytes.data() + from, '\n', bytes.size() - from);
        if (!lf) {
            out.append(bytes.substr(from));
            return;
        }
        const std::size_t at = static_cast<const char*>(lf) - bytes.data();
        out.append(bytes.substr(from, at - from));
        out.append("\r\n", 2);
        from = at + 1;
    }
}

namespace {

// Whether any of the 40 bytes is LF, eight bytes at a time: a byte of x is zero exactly where the
// row holds LF, and (x - 0x01..) & ~x & 0x80.. is non-zero exactly when x has a zero byte.
bool holdsLineFeed(const char* row) {
    static_assert(kRowWidth % 8 == 0);
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    std::uint64_t found = 0;
    for (int k = 0; k < kRowWidth; k += 8) {
        std::uint64_t word;
        std::memcpy(&word, row + k, 8);
        const std::uint64_t x = word ^ (ones * '\n');
        found |= (x - ones) & ~x & (ones * 0x80);
    }
    return found != 0;
}

} // namespace

void WritePage(const PageGeometry& geometry, std::string& out, PageRows& rows) {
    // The whole page goes in with one resize and fixed-size copies; only a row that holds an LF
    // byte needs the text stream's translation.
    const int rowCount = LaidOutRows(geometry);
    const std::size_t start = out.size();
    out.resize(start + 2 + 42 * static_cast<std::size_t>(rowCount));
    char* d = out.data() + start;
    *d++ = '\r';
    *d++ = '\n';
    bool lineFeedInRow = false;
    for (int r = 0; r < rowCount; ++r) {
        const char* row = rows.paddedRow(r).data();
        lineFeedInRow |= holdsLineFeed(row);
        std::memcpy(d, row, kRowWidth);
        d[kRowWidth] = '\r';
        d[kRowWidth + 1] = '\n';
        d += kRowWidth + 2;
    }
    if (!lineFeedInRow)
        return;
    out.resize(start);
    out.append("\r\n", 2);
    for (int r = 0; r < rowCount; ++r) {
        AppendAsTextStream(out, rows.paddedRow(r));
        out.append("\r\n", 2);
    }
}

} // namespace engine

#include "page_writer.h"

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

void WritePage(const PageGeometry& geometry, std::string& out, PageRows& rows) {
    out.append("\r\n", 2);
    for (int r = 0; r < geometry.rowCount; ++r) {
        AppendAsTextStream(out, rows.paddedRow(r));
        out.append("\r\n", 2);
    }
}

} // namespace engine

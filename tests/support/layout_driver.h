#pragma once
// Lays a prepared text (end byte included) out page by page and returns the bytes an output file
// of it would hold: the pages and the closing CR LF.

#include "engine/column_layout.h"
#include "engine/page_writer.h"

#include <string>

namespace testing_support {

inline std::string layoutFile(const engine::PageGeometry& base, int spaceline,
                              const std::string& text, int maxPages = 100000) {
    engine::PageGeometry geometry = base;
    geometry.textLength = static_cast<std::int32_t>(text.size());
    engine::LayoutState state;
    engine::PageRows rows;
    std::string out;
    for (int page = 0; page < maxPages; ++page) {
        const bool exhausted = engine::LayoutPage(spaceline, geometry, text, rows, state);
        engine::WritePage(geometry, out, rows);
        if (exhausted)
            break;
    }
    out += "\r\n";
    return out;
}

} // namespace testing_support

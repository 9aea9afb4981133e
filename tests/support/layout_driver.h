#pragma once
// Drives the engine's steps as the run does: normalises a text, lays a prepared text (end byte
// included) out page by page and returns the bytes an output file of it would hold.

#include "engine/column_layout.h"
#include "engine/page_writer.h"
#include "engine/text_normalization.h"

#include <string>

namespace testing_support {

// The text after the verse or the prose pass for columns of n cells.
inline std::string engineNormalize(bool verse, int n, std::string text) {
    engine::PageGeometry g;
    g.rowCount = n;
    engine::NoEventPump pump;
    if (verse)
        engine::NormalizeVerse(g, text, pump);
    else
        engine::NormalizeProse(g, text, pump);
    return text;
}

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

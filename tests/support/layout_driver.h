#pragma once
// Drives the engine's steps as the run does: normalises a text, lays a prepared text (end byte
// included) out page by page and returns the bytes an output file of it would hold.

#include "engine/column_layout.h"
#include "engine/page_writer.h"
#include "engine/prepared_text.h"
#include "engine/text_normalization.h"

#include <optional>
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

// The output file the run writes for `textAsRead` (code page 932, LF line breaks, no end byte)
// with `settings`, unsplit and without a title page.
inline std::string convertedFile(const std::string& textAsRead, const engine::Settings& settings) {
    const engine::PageGeometry geometry =
        engine::MakePageGeometry(settings.gyokan, settings.charsize, settings.spaceline);
    engine::NoEventPump pump;
    const std::optional<engine::PreparedText> prepared =
        engine::PrepareText({textAsRead, {}, 0, {}, {}, {}, {}}, nullptr, geometry, settings, pump);
    return layoutFile(prepared->geometry, settings.spaceline, prepared->text);
}

} // namespace testing_support

#pragma once
// From a source's text to pages: the one way the run, the page preview and the tests make a text
// ready for the layout and count its pages.

#include "event_pump.h"
#include "header_recognition.h"
#include "input_stage.h"
#include "page_geometry.h"
#include "settings.h"
#include "text_normalization.h"

#include <cstdint>
#include <optional>
#include <string>

namespace engine {

// The recognised head of a text that is to give way to a title page.
struct TitlePage {
    std::int32_t headLength = 0; // bytes of the head lines in the text as read
    std::string block;           // the title page's bytes
};

// The title page for a recognised title and author (HeaderInfo) whose lines take `headLength`
// bytes, in columns of geometry.rowCount cells.
TitlePage MakeTitlePage(const HeaderInfo& info, std::int32_t headLength,
                        const PageGeometry& geometry);

// A text ready for the layout: normalised, the end byte last.
struct PreparedText {
    std::string text;
    PageGeometry geometry;      // textLength set
    std::int64_t pageCount = 1; // pages the layout makes of it with the blank-column choice it was
                                // prepared for
    // Set while a long text is still being written (see NormalizeProse): the layout reads only
    // what awaitWritten has let it, and text.size() is not yet geometry.textLength.
    std::unique_ptr<WritingAhead> writingAhead;
};

// Puts the title page (when given) in place of the head lines, appends the end byte and
// normalises: verse or prose as `live` says now, with pages of packed or spaced columns as its
// blank-column choice says now. Nothing when the result is too long for the layout's positions.
// With `writeAhead`, a long text may be laid out while it is still being written.
std::optional<PreparedText> PrepareText(SourceText source, const TitlePage* titlePage,
                                        const PageGeometry& geometry, const Settings& live,
                                        EventPump& pump, bool writeAhead = false);

} // namespace engine

#include "prepared_text.h"

#include "column_layout.h"
#include "file_error.h"
#include "header_block.h"
#include "pair_cells.h"
#include "text_normalization.h"
#include "text_stream.h"

#include <algorithm>

namespace engine {
namespace {

// The head lines gave way to a title page of `blockSize` bytes: layouts of the head lines go, the
// others move with their lines.
void moveLinesForTitlePage(LineLayouts& lines, std::size_t headLength, std::size_t blockSize) {
    LineLayouts moved;
    for (LineLayout line : lines) {
        if (line.lineStart < headLength)
            continue;
        line.lineStart = line.lineStart - headLength + blockSize;
        moved.push_back(line);
    }
    lines = std::move(moved);
}

// The pages the layout makes of a normalised text of `cells` cells (the end byte among them): a
// full page holds a fixed number of cells, and the end is found on the page after the last full
// one.
std::int64_t pagesOf(const PageGeometry& geometry, bool packed, std::int64_t cells) {
    const std::int64_t textColumns = packed ? PackedColumns(geometry) : geometry.columnSlots / 2;
    return std::max<std::int64_t>(cells - 1, 0) / (textColumns * LaidOutRows(geometry)) + 1;
}

} // namespace

TitlePage MakeTitlePage(const HeaderInfo& info, std::int32_t headLength,
                        const PageGeometry& geometry) {
    return {headLength, BuildHeaderBlock(info.title, info.author, geometry.rowCount)};
}

std::optional<PreparedText> PrepareText(SourceText source, const TitlePage* titlePage,
                                        const PageGeometry& geometry, const Settings& live,
                                        EventPump& pump, bool writeAhead) {
    std::string& text = source.text;
    if (titlePage) {
        SpliceHeaderBlock(text, titlePage->headLength, titlePage->block);
        moveLinesForTitlePage(source.lines, static_cast<std::size_t>(titlePage->headLength),
                              titlePage->block.size());
    }
    // The notation's 縦中横 comes as pair cells; two-digit numbers become them on request. The
    // title page keeps its columns as they were laid out.
    PageGeometry columns = geometry;
    columns.pairCells = live.aozora || live.tcyDigits;
    if (live.tcyDigits)
        SetTwoDigitNumbersUpright(text, titlePage ? titlePage->block.size() : 0, source.lines,
                                  !live.aozora);
    text += kEndByte;
    // The normalisation takes LF, CR LF and a lone CR alike as one line break, which is what the
    // line-break step would make of them, so the text goes through in a single pass.
    const bool packed = UsesPackedLayout(live.spaceline);
    // In a text of Aozora Bunko's notation every line is a paragraph, a verse line, a speaker's
    // turn or a heading: none is joined to the one before.
    std::unique_ptr<WritingAhead> ahead;
    std::unique_ptr<WritingAhead>* const aheadIfAsked = writeAhead ? &ahead : nullptr;
    const std::int64_t cells =
        live.usereturn || live.aozora
            ? NormalizeVerse(columns, text, pump, source.lines, packed, live.kinsoku, aheadIfAsked)
            : NormalizeProse(columns, text, pump, source.lines, packed, live.kinsoku, aheadIfAsked);
    const std::size_t length = ahead ? ahead->length() : text.size();
    // The title page and the spaces of the normalisation may take a text past what positions
    // can count.
    if (length > static_cast<std::size_t>(kMaxTextBytes) + 1)
        return std::nullopt;
    PreparedText prepared;
    prepared.text = std::move(text);
    prepared.geometry = columns;
    prepared.geometry.textLength = static_cast<std::int32_t>(length);
    prepared.pageCount = pagesOf(prepared.geometry, packed, cells);
    prepared.writingAhead = std::move(ahead);
    return prepared;
}

} // namespace engine

// The whole engine from source bytes to output bytes. The first two bytes choose the settings.
#include "engine/column_layout.h"
#include "engine/header_recognition.h"
#include "engine/page_writer.h"
#include "engine/prepared_text.h"
#include "engine/text_stream.h"
#include "fuzz_check.h"

#include <cstdint>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const int gyokan = data[0] % 6 - 1; // -1 (no choice) to 4
    const int charsize = (data[0] / 6) % 3 - 1;
    const int spaceline = data[1] % 4 - 1;
    const bool verse = data[1] & 0x10;
    const bool header = data[1] & 0x20;
    const bool kinsoku = data[1] & 0x40;
    const bool tcyDigits = data[1] & 0x80;
    const std::string_view file(reinterpret_cast<const char*>(data + 2), size - 2);

    const engine::PageGeometry geometry = engine::MakePageGeometry(gyokan, charsize, spaceline);
    FUZZ_CHECK(geometry.rowCount >= 7 && geometry.rowCount <= 23);

    engine::Settings live;
    live.gyokan = gyokan;
    live.charsize = charsize;
    live.spaceline = spaceline;
    live.usereturn = verse;
    live.kinsoku = kinsoku;
    live.tcyDigits = tcyDigits;
    std::string read(file);
    engine::MakeTextAsRead(read);
    std::optional<engine::TitlePage> titlePage;
    if (header) {
        engine::HeaderInfo info;
        const std::int32_t headLength = engine::RecognizeHeader(read, info);
        FUZZ_CHECK(headLength >= 0 && static_cast<std::size_t>(headLength) <= read.size());
        titlePage = engine::MakeTitlePage(info, headLength, geometry);
    }
    engine::NoEventPump pump;
    std::optional<engine::PreparedText> prepared =
        engine::PrepareText({std::move(read), {}, 0, {}, {}, {}, {}},
                            titlePage ? &*titlePage : nullptr, geometry, live, pump);
    FUZZ_CHECK(prepared.has_value());
    const std::string& text = prepared->text;
    FUZZ_CHECK(!text.empty() && text.back() == engine::kEndByte);

    // A stray LF can only survive as the second byte of a double-byte character.
    bool strayLineFeed = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
            strayLineFeed |= i + 1 < text.size() && text[i + 1] == '\n';
            ++i;
        } else {
            FUZZ_CHECK(b != '\r' && b != '\n');
        }
    }

    const engine::PageGeometry& laidOut = prepared->geometry;
    FUZZ_CHECK(laidOut.textLength == static_cast<std::int32_t>(text.size()));
    const std::int64_t expectedPages = prepared->pageCount;
    engine::LayoutState state;
    engine::PageRows rows;
    std::string out;
    std::int64_t pages = 0;
    for (bool exhausted = false; !exhausted; ++pages) {
        FUZZ_CHECK(pages < expectedPages); // paging ends where it was counted to end
        // The straight way for pages of two-byte cells makes the same page, or none.
        engine::LayoutState straightState = state;
        std::string straight;
        const bool tookStraight =
            engine::AppendTwoByteCellPage(spaceline, laidOut, text, straightState, straight);
        const std::size_t pageStart = out.size();
        exhausted = engine::LayoutPage(spaceline, laidOut, text, rows, state);
        for (int r = 0; r < laidOut.rowCount; ++r)
            FUZZ_CHECK(rows.row(r).size() <= 40);
        engine::WritePage(laidOut, out, rows);
        if (tookStraight) {
            FUZZ_CHECK(!exhausted && straightState.textCursor == state.textCursor);
            FUZZ_CHECK(out.compare(pageStart, std::string::npos, straight) == 0);
        } else {
            FUZZ_CHECK(straight.empty());
        }
    }
    FUZZ_CHECK(pages == expectedPages);
    out += "\r\n";
    if (!strayLineFeed) {
        const std::size_t pageBytes = 2 + 42 * static_cast<std::size_t>(geometry.rowCount);
        FUZZ_CHECK(out.size() == static_cast<std::size_t>(pages) * pageBytes + 2);
        for (std::int64_t p = 0; p < pages; ++p) {
            const std::size_t start = static_cast<std::size_t>(p) * pageBytes;
            FUZZ_CHECK(out.compare(start, 2, "\r\n") == 0);
            for (int r = 0; r < geometry.rowCount; ++r) {
                const std::size_t line = start + 2 + 42 * static_cast<std::size_t>(r);
                FUZZ_CHECK(out.compare(line + 40, 2, "\r\n") == 0);
            }
        }
    }
    return 0;
}

#include "text_normalization.h"

#include "sjis.h"
#include "text_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <system_error>

namespace engine {

namespace {

constexpr char kFullWidthSpace[] = "\x81\x40";

bool pairAt(std::string_view s, std::size_t i, unsigned char first, unsigned char second) {
    return i + 1 < s.size() && byteAt(s, i) == first && byteAt(s, i + 1) == second;
}

// Bytes of the line break at i: CR LF, or a lone LF or CR (a text as read has LF line breaks; the
// line-break step of old made each of them CR LF, with the same result), 0 when there is none.
std::size_t lineBreakLengthAt(std::string_view s, std::size_t i) {
    const unsigned char b = byteAt(s, i);
    if (b == '\n')
        return 1;
    if (b != '\r')
        return 0;
    return i + 1 < s.size() && byteAt(s, i + 1) == '\n' ? 2 : 1;
}

enum class Mode { Verse, Prose };

// The output of the scan. It runs twice over a text: once counting, to learn the output's length
// and how far its writing ever runs ahead of the reading, then writing into the text's own buffer,
// which holds the input moved up by that much, so the writing never overtakes what is still to be
// read. A book is then never held twice, as source and as result.
class CountingSink {
  public:
    // `bytes` are written; the input from `needed` on is still to be read.
    void copy(std::string_view bytes, std::size_t needed) {
        for (const char c : bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), 2)))
            remember(c);
        m_written += bytes.size();
        mark(needed);
    }
    void spaces(std::int64_t count, std::size_t needed) {
        if (count > 0) {
            remember('\x81');
            remember('\x40');
        }
        m_written += 2 * static_cast<std::size_t>(count);
        mark(needed);
    }
    bool endsWith(unsigned char first, unsigned char second) const {
        return m_written >= 2 && m_last[0] == first && m_last[1] == second;
    }
    std::size_t written() const { return m_written; }
    std::size_t lead() const { return m_lead; }
    void publish() {}

  private:
    void remember(char c) {
        m_last[0] = m_last[1];
        m_last[1] = static_cast<unsigned char>(c);
    }
    void mark(std::size_t needed) {
        if (m_written > needed)
            m_lead = std::max(m_lead, m_written - needed);
    }

    std::size_t m_written = 0;
    std::size_t m_lead = 0;
    unsigned char m_last[2] = {0, 0};
};

class WritingSink {
  public:
    // `published`, when given, is told how far the writing has come at every pump point.
    explicit WritingSink(char* data, WritingAhead::Progress* published = nullptr)
        : m_data(data), m_published(published) {}

    // The bytes may be the input itself, further up the same buffer.
    void copy(std::string_view bytes, std::size_t) {
        std::memmove(m_data + m_written, bytes.data(), bytes.size());
        m_written += bytes.size();
    }
    void spaces(std::int64_t count, std::size_t) {
        for (std::int64_t i = 0; i < count; ++i) {
            m_data[m_written++] = kFullWidthSpace[0];
            m_data[m_written++] = kFullWidthSpace[1];
        }
    }
    bool endsWith(unsigned char first, unsigned char second) const {
        return m_written >= 2 && static_cast<unsigned char>(m_data[m_written - 2]) == first &&
               static_cast<unsigned char>(m_data[m_written - 1]) == second;
    }
    std::size_t written() const { return m_written; }
    void publish() {
        if (m_published)
            m_published->publish(m_written);
    }

  private:
    char* m_data;
    WritingAhead::Progress* m_published;
    std::size_t m_written = 0;
};

// How many full-width spaces replace the line break; `next` is the index of the next line's first
// byte in the input, `out` the output so far (the line just ended at its end), r the cells
// already used in the current column.
template <typename Sink>
std::int64_t spacesForBreak(Mode mode, std::string_view in, std::size_t next, const Sink& out,
                            std::int64_t r, std::int64_t n) {
    const bool nextLineEmpty = next < in.size() && lineBreakLengthAt(in, next) > 0;
    if (nextLineEmpty)
        return r == 0 ? n : 2 * n - r;
    if (r == 0)
        return 0;
    if (mode == Mode::Verse)
        return n - r;
    if (pairAt(in, next, 0x81, 0x40)) // indented: a new paragraph, unless indented twice or more
        return pairAt(in, next + 2, 0x81, 0x40) ? 0 : n - r;
    if (pairAt(in, next, 0x81, 0x75)) // opens with 「
        return n - r;
    // Closes with 」: the two bytes in front of the break, whatever character they belong to.
    if (out.endsWith(0x81, 0x76))
        return n - r;
    return 0;
}

// What decides where the columns of a text break, beside its line breaks.
struct ColumnRules {
    bool pairCells = false; // the text holds pair cells
    bool kinsoku = false;   // no column starts with a closing mark or a small kana
};

// Bytes of the cell at p (p < in.size()).
std::size_t cellBytesAt(std::string_view in, std::size_t p, const ColumnRules& rules) {
    if (isLeadByte(byteAt(in, p)))
        return 2;
    if (rules.pairCells && isPairCellAt(in, p))
        return kPairCellBytes;
    return cellLengthAt(in, p);
}

// Cells of the line that starts at `p`, up to its line break.
std::int64_t cellsOfLine(std::string_view in, std::size_t p, const ColumnRules& rules) {
    std::int64_t cells = 0;
    while (p < in.size() && lineBreakLengthAt(in, p) == 0) {
        p += cellBytesAt(in, p, rules);
        ++cells;
    }
    return cells;
}

// A character no column may start with: the closing marks 、。，．」』）〕】》〉, ・, ー and the small
// kana, in full and in half width.
bool opensNoColumn(std::string_view in, std::size_t p) {
    const unsigned char b = byteAt(in, p);
    if (!isLeadByte(b)) {
        switch (b) {
        case ',':
        case '.':
        case ')':
        case 0xA1: // ｡
        case 0xA3: // ｣
        case 0xA4: // ､
        case 0xA5: // ･
        case 0xB0: // ｰ
            return true;
        default:
            return b >= 0xA7 && b <= 0xAF; // ｧ-ｯ
        }
    }
    if (p + 1 >= in.size())
        return false;
    const unsigned char second = byteAt(in, p + 1);
    switch (b) {
    case 0x81:
        switch (second) {
        case 0x41: // 、
        case 0x42: // 。
        case 0x43: // ，
        case 0x44: // ．
        case 0x45: // ・
        case 0x5B: // ー
        case 0x6A: // ）
        case 0x6C: // 〕
        case 0x72: // 〉
        case 0x74: // 》
        case 0x76: // 」
        case 0x78: // 』
        case 0x7A: // 】
            return true;
        default:
            return false;
        }
    case 0x82: // ぁぃぅぇぉっゃゅょゎ
        switch (second) {
        case 0x9F:
        case 0xA1:
        case 0xA3:
        case 0xA5:
        case 0xA7:
        case 0xC1:
        case 0xE1:
        case 0xE3:
        case 0xE5:
        case 0xEC:
            return true;
        default:
            return false;
        }
    case 0x83: // ァィゥェォッャュョヮヵヶ
        switch (second) {
        case 0x40:
        case 0x42:
        case 0x44:
        case 0x46:
        case 0x48:
        case 0x62:
        case 0x83:
        case 0x85:
        case 0x87:
        case 0x8E:
        case 0x95:
        case 0x96:
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

// A column has no room to hang a mark below its foot, so the character before the marks goes to
// the next column with them. At most this many characters move.
constexpr std::int64_t kMostCarried = 3;

// Whether the character at p, with `room` cells left in its column (itself included), goes to
// the next column: the `room` characters after it are all marks no column may start with, and
// it is not one itself. Looks no further than the line.
bool carriedToNextColumn(std::string_view in, std::size_t p, std::int64_t room,
                         const ColumnRules& rules) {
    const std::size_t contentEnd = in.size() - 1; // the end byte is no character
    for (std::int64_t k = 0; k <= room; ++k) {
        if (p >= contentEnd || lineBreakLengthAt(in, p) > 0)
            return false;
        if (opensNoColumn(in, p) != (k > 0))
            return false;
        p += cellBytesAt(in, p, rules);
    }
    return true;
}

// What marked-up lines ask of the scan (see LineLayout). The layouts are met in order, as the
// scan reaches the starts of their lines.
class LineMarks {
  public:
    LineMarks(const LineLayouts& lines, std::int64_t cellsPerPage, const ColumnRules& rules)
        : m_lines(lines), m_cellsPerPage(std::max<std::int64_t>(cellsPerPage, 1)), m_rules(rules) {}

    bool any() const { return !m_lines.empty(); }

    // At the start of the line at input offset p: spaces that put it where its layout asks, added
    // to `out` and counted in t. Returns the indent its further columns take.
    template <typename Sink>
    std::int64_t beginLine(std::string_view in, std::size_t p, std::int64_t n, Sink& out,
                           std::int64_t& t) {
        m_endColumnAfterLine = false;
        m_footAt = std::string_view::npos;
        while (m_next < m_lines.size() && m_lines[m_next].lineStart < p)
            ++m_next;
        if (m_next >= m_lines.size() || m_lines[m_next].lineStart != p)
            return 0;
        const LineLayout& layout = m_lines[m_next++];
        const auto pad = [&](std::int64_t spaces) {
            out.spaces(spaces, p);
            t += spaces;
        };
        if (layout.pageBreakBefore && t % m_cellsPerPage != 0)
            pad(m_cellsPerPage - t % m_cellsPerPage);
        if (layout.raise >= 0 && layout.raiseFrom == 0) {
            // Only a line that fits one column stands at its foot; a longer one runs as usual.
            const std::int64_t cells = cellsOfLine(in, p, m_rules);
            if (cells + layout.raise <= n) {
                toColumnTop(n, t, pad);
                pad(n - layout.raise - cells);
                m_endColumnAfterLine = true;
                return 0;
            }
        }
        // An indent of the whole column or more keeps one cell for the text.
        const std::int64_t first = std::min<std::int64_t>(layout.indent, n - 1);
        m_wrapIndent = layout.wrapIndent >= 0 ? std::min<std::int64_t>(layout.wrapIndent, n - 1)
                                              : std::max<std::int64_t>(first, 0);
        if (layout.raise >= 0 && layout.raiseFrom > 0) {
            m_footAt = p + layout.raiseFrom;
            m_footRaise = layout.raise;
        }
        if (first <= 0 && m_wrapIndent <= 0)
            return 0;
        toColumnTop(n, t, pad);
        pad(std::max<std::int64_t>(first, 0));
        return m_wrapIndent;
    }

    // Where the raised part of the line in hand starts (npos: none); the scan stops there.
    std::size_t footAt() const { return m_footAt; }

    // At footAt(): spaces that take the rest of the line to the foot of the column it is in, or
    // of the next one when it does not fit in what is left of this one. A rest longer than a column
    // runs on from the top of the next column, further columns indented as the line's. Returns the
    // indent its further columns take.
    template <typename Sink>
    std::int64_t beginFoot(std::string_view in, std::size_t p, std::int64_t n, Sink& out,
                           std::int64_t& t) {
        m_footAt = std::string_view::npos;
        const auto pad = [&](std::int64_t spaces) {
            out.spaces(spaces, p);
            t += spaces;
        };
        const std::int64_t cells = cellsOfLine(in, p, m_rules) + m_footRaise;
        if (cells > n - t % n)
            toColumnTop(n, t, pad);
        if (cells > n) {
            pad(m_wrapIndent);
            return m_wrapIndent;
        }
        pad(n - t % n - cells);
        m_endColumnAfterLine = true;
        return 0;
    }

    // A line standing at the foot of its column leaves the rest of the column to itself.
    bool endColumnAfterLine() const { return m_endColumnAfterLine; }

  private:
    template <typename Pad> static void toColumnTop(std::int64_t n, std::int64_t t, Pad pad) {
        if (t % n != 0)
            pad(n - t % n);
    }

    const LineLayouts& m_lines;
    std::int64_t m_cellsPerPage;
    ColumnRules m_rules;
    std::size_t m_next = 0;
    bool m_endColumnAfterLine = false;
    std::int64_t m_wrapIndent = 0;                 // of the line in hand
    std::size_t m_footAt = std::string_view::npos; // input offset of its raised part
    std::int64_t m_footRaise = 0;
};

// Bit 8 of each 16-bit lane set where the lane's byte at s, s + 2, s + 4 or s + 6 is not a lead
// byte. Each lane of `leads` holds one of the bytes, and adding 0x100 - k to a lane sets its bit
// 8 exactly where the byte is k or more.
std::uint64_t notLeadBytesAt(const char* s) {
    std::uint64_t word = 0;
    std::memcpy(&word, s, 8);
    constexpr std::uint64_t lanes = 0x0001000100010001;
    const std::uint64_t leads =
        (std::endian::native == std::endian::little ? word : word >> 8) & lanes * 0xFF;
    const auto atLeast = [leads](std::uint64_t k) { return leads + lanes * (0x100 - k); };
    const std::uint64_t lead = (atLeast(0x81) & ~atLeast(0xA0)) | (atLeast(0xE0) & ~atLeast(0xFD));
    return ~lead & lanes << 8;
}

// Two-byte characters in a row from s, up to eight (s to s + 15 are read).
int twoByteCharactersAt(const char* s) {
    const std::uint64_t first = notLeadBytesAt(s);
    const std::uint64_t second = notLeadBytesAt(s + 8);
    if ((first | second) == 0)
        return 8;
    const auto leading = [](std::uint64_t notLead) {
        return (std::endian::native == std::endian::little ? std::countr_zero(notLead)
                                                           : std::countl_zero(notLead)) /
               16;
    };
    return first != 0 ? leading(first) : 4 + leading(second);
}

// Moves p past the plain cells from p on and returns how many: two-byte characters, and single
// bytes below 0x80 but line breaks and the pair-cell mark, whose only effect on the scan is their
// count. Stops before `limit`, after `most` cells, and short of the text's last two bytes, where a
// lead byte pairs with the end byte.
std::int64_t skipPlainCells(std::string_view in, std::size_t& p, std::size_t limit,
                            std::int64_t most) {
    const std::size_t end = std::min(limit, in.size() - std::min<std::size_t>(in.size(), 2));
    std::size_t at = p;
    std::int64_t cells = 0;
    while (cells < most && at < end) {
        // Mostly a Japanese text runs on in two-byte characters: up to eight at a time.
        if (end - at > 14) {
            const std::int64_t run =
                std::min<std::int64_t>(twoByteCharactersAt(in.data() + at), most - cells);
            if (run > 0) {
                at += 2 * static_cast<std::size_t>(run);
                cells += run;
                continue;
            }
        }
        const unsigned char b = byteAt(in, at);
        if (isLeadByte(b))
            at += 2;
        else if (b < 0x80 && b != '\r' && b != '\n' && b != kPairCellMark)
            ++at;
        else
            break;
        ++cells;
    }
    p = at;
    return cells;
}

// The cells written, and whether a voiced mark joined a kana written alone before its line break:
// the layout then pairs the marks after it otherwise than the scan, and so counts otherwise.
struct Scanned {
    std::int64_t cells;
    bool joined;
};

// The scan both passes share. The cell counter t counts every cell written, inserted spaces
// included, so columns end where the layout will end them.

template <typename Sink>
Scanned scan(Mode mode, std::int64_t n, std::string_view in, Sink& out, LineMarks marks,
             const ColumnRules& rules, EventPump& pump) {
    std::int64_t t = 0;
    std::size_t nextPump = 0;
    std::size_t p = 0;
    bool lineStart = true;
    std::int64_t indent = 0; // of the line in hand, for each of its columns
    bool carried = false;    // the character at p was just moved to a column of its own
    // Where the output stands right after a half-width kana written alone: a voiced mark that
    // comes next there (the next line's first, its line break gone) joins it in the layout's one
    // cell. The breaks are decided as if it took a cell of its own, as they always were; only the
    // count of cells (and so of pages) follows the layout, counted again by the caller.
    std::size_t loneKanaEnd = std::string_view::npos;
    bool joined = false;
    while (p < in.size()) {
        if (p >= nextPump) {
            pump.ProcessPendingEvents();
            out.publish();
            nextPump = p + kEventPumpBlock;
        }
        if (lineStart && marks.any())
            indent = marks.beginLine(in, p, n, out, t);
        else if (p >= marks.footAt())
            indent = marks.beginFoot(in, p, n, out, t);
        lineStart = false;
        // Count the cells of the run up to the next line break (or the next pump point, or the
        // foot of the column of an indented line, or the raised part of a line, or a character
        // that moves to the next column), then copy the run in one piece.
        const std::size_t runStart = p;
        const std::size_t runLimit = std::min({in.size(), nextPump, marks.footAt()});
        std::int64_t cellsLeft = indent > 0 ? n - t % n : -1;
        std::int64_t room = n - t % n; // cells left in the column, the one at p included
        std::int64_t carry = 0;        // cells left empty at the foot of the column
        while (p < runLimit && cellsLeft != 0) {
            // Plain cells in one go, short of the cells at a column's foot where kinsoku looks
            // ahead; they only count.
            constexpr std::int64_t kAny = std::numeric_limits<std::int64_t>::max();
            const std::int64_t mostPlain = std::min(cellsLeft < 0 ? kAny : cellsLeft,
                                                    rules.kinsoku ? room - kMostCarried : kAny);
            if (const std::int64_t plain = skipPlainCells(in, p, runLimit, mostPlain)) {
                t += plain;
                cellsLeft -= plain;
                room = n - t % n;
                carried = false;
                continue;
            }
            const unsigned char b = byteAt(in, p);
            if (b == '\r' || b == '\n')
                break;
            // Not from a column's first cell: the character would meet the same marks below.
            if (rules.kinsoku && room <= kMostCarried && !carried && room < n - indent &&
                carriedToNextColumn(in, p, room, rules)) {
                carry = room;
                break;
            }
            carried = false;
            if (isHalfWidthMark(b) && out.written() + (p - runStart) == loneKanaEnd)
                joined = true;
            if (--room == 0)
                room = n;
            if (isLeadByte(b)) {
                // A lead byte cut off by the end of the text pairs with the end byte here; the
                // layout takes it as a cell of its own before the end, so both are counted.
                if (p + 2 == in.size() && byteAt(in, p + 1) == static_cast<unsigned char>(kEndByte))
                    ++t;
                p += 2;
            } else {
                const std::size_t step =
                    rules.pairCells && isPairCellAt(in, p) ? kPairCellBytes : cellLengthAt(in, p);
                if (step == 1 && isHalfWidthKana(b))
                    loneKanaEnd = out.written() + (p + 1 - runStart);
                p += step;
            }
            ++t;
            --cellsLeft;
        }
        p = std::min(p, in.size());
        out.copy(in.substr(runStart, p - runStart), p);
        if (carry > 0) {
            out.spaces(carry, p);
            t += carry;
            carried = true;
        }
        const std::size_t lineBreak = p < in.size() ? lineBreakLengthAt(in, p) : 0;
        if (lineBreak > 0) {
            p += lineBreak;
            std::int64_t k = spacesForBreak(mode, in, p, out, t % n, n);
            if (marks.endColumnAfterLine() && t % n != 0)
                k = std::max(k, n - t % n);
            out.spaces(k, p);
            t += k;
            lineStart = true;
            indent = 0;
        } else if (indent > 0 && t % n == 0 && p + 1 < in.size() && p != marks.footAt()) {
            // The next column of an indented line starts at the line's further indent (the end
            // byte alone, last in the text, starts none; a raised part places itself).
            out.spaces(indent, p);
            t += indent;
        }
    }
    return {t, joined};
}

// The cells the layout makes of a normalised text, the end byte among them, stepping through it
// as the layout does.
std::int64_t layoutCellsOf(std::string_view text, bool pairCells) {
    const std::string_view content = text.substr(0, text.empty() ? 0 : text.size() - 1);
    std::int64_t cells = 1;
    for (std::size_t i = 0; i < content.size(); ++cells)
        i += pairCells && isPairCellAt(content, i) ? kPairCellBytes : cellLengthAt(content, i);
    return cells;
}

std::int64_t normalize(Mode mode, const PageGeometry& geometry, std::string& text, EventPump& pump,
                       const LineLayouts& lines, bool packedPages, bool kinsoku,
                       std::unique_ptr<WritingAhead>* ahead) {
    const std::int64_t n = LaidOutRows(geometry); // never 0: the modulo in the scan needs a column
    const std::int64_t columns = packedPages ? PackedColumns(geometry) : geometry.columnSlots / 2;
    const ColumnRules rules{geometry.pairCells, kinsoku};
    const LineMarks marks(lines, columns * n, rules);
    CountingSink count;
    const Scanned counted = scan(mode, n, text, count, marks, rules, pump);
    // The input moves up by the writing's largest lead; the output is written from the start.
    const std::size_t inputLength = text.size();
    const std::size_t lead = count.lead();
    text.resize(std::max(count.written(), inputLength + lead));
    char* const data = text.data();
    std::memmove(data + lead, data, inputLength);
    const std::string_view input(data + lead, inputLength);
    // The counting made every decision the writing makes, so a long text is written behind the
    // caller's back; where a mark joined a kana, the count waits for the text written.
    if (ahead && !counted.joined && inputLength >= kWriteAheadFrom) {
        try {
            *ahead = std::make_unique<WritingAhead>(
                count.written(), [=, lines = lines](WritingAhead::Progress& progress) {
                    WritingSink write(data, &progress);
                    NoEventPump noEvents;
                    scan(mode, n, input, write, LineMarks(lines, columns * n, rules), rules,
                         noEvents);
                });
            return counted.cells;
        } catch (const std::system_error&) {
            // No thread to be had: written here, as any other text.
        }
    }
    WritingSink write(data);
    const Scanned written = scan(mode, n, input, write, marks, rules, pump);
    text.resize(count.written());
    return written.joined ? layoutCellsOf(text, rules.pairCells) : written.cells;
}

} // namespace

WritingAhead::WritingAhead(std::size_t length, std::function<void(Progress&)> write)
    : m_length(length), m_thread([this, write = std::move(write)] {
          write(m_progress);
          m_progress.publish(m_length);
      }) {}

WritingAhead::~WritingAhead() {
    if (m_thread.joinable())
        m_thread.join();
}

void WritingAhead::awaitWritten(std::size_t count) const {
    m_progress.await(std::min(count, m_length));
}

void WritingAhead::Progress::publish(std::size_t written) {
    {
        const std::lock_guard lock(m_mutex);
        m_written = written;
    }
    m_changed.notify_all();
}

void WritingAhead::Progress::await(std::size_t count) const {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_written >= count; });
}

std::int64_t NormalizeVerse(const PageGeometry& geometry, std::string& text, EventPump& pump,
                            const LineLayouts& lines, bool packedPages, bool kinsoku,
                            std::unique_ptr<WritingAhead>* ahead) {
    return normalize(Mode::Verse, geometry, text, pump, lines, packedPages, kinsoku, ahead);
}

std::int64_t NormalizeProse(const PageGeometry& geometry, std::string& text, EventPump& pump,
                            const LineLayouts& lines, bool packedPages, bool kinsoku,
                            std::unique_ptr<WritingAhead>* ahead) {
    return normalize(Mode::Prose, geometry, text, pump, lines, packedPages, kinsoku, ahead);
}

} // namespace engine

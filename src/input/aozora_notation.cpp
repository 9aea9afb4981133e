#include "input/aozora_notation.h"

#include "engine/sjis.h"
#include "input/aozora_marks.h"
#include "input/aozora_notes.h"
#include "input/aozora_scan.h"
#include "input/aozora_upright.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace input {

namespace {

using namespace aozora;
using engine::byteAt;

constexpr std::string_view kParenOpen = "\x81\x69";          // （
constexpr std::string_view kParenClose = "\x81\x6A";         // ）
constexpr std::string_view kTortoiseOpenBytes = "\x81\x6B";  // 〔
constexpr std::string_view kTortoiseCloseBytes = "\x81\x6C"; // 〕
constexpr std::string_view kIdeographicSpace = "\x81\x40";   // 　
constexpr std::size_t npos = std::string_view::npos;

// Block notes in force, innermost last. A block that no end note closes gives way to the next block
// that opens; the others are nested and an end note closes the innermost.
class Blocks {
  public:
    explicit Blocks(const std::vector<bool>& hasEnd) : m_hasEnd(hasEnd) {}

    void open(int amount, int wrapAmount = -1) {
        const bool hasEnd = m_opened < m_hasEnd.size() && m_hasEnd[m_opened];
        ++m_opened;
        while (!m_blocks.empty() && !m_blocks.back().hasEnd)
            m_blocks.pop_back();
        m_blocks.push_back({amount, wrapAmount, hasEnd});
    }

    void close() {
        if (!m_blocks.empty())
            m_blocks.pop_back();
    }

    int innermost(int none) const { return m_blocks.empty() ? none : m_blocks.back().amount; }
    int innermostWrap() const { return m_blocks.empty() ? -1 : m_blocks.back().wrapAmount; }

  private:
    struct Block {
        int amount;
        int wrapAmount; // of further columns, -1: as the first
        bool hasEnd;
    };
    const std::vector<bool>& m_hasEnd; // for every block of the text, in order
    std::size_t m_opened = 0;
    std::vector<Block> m_blocks;
};

// The text without its notation, written over the text itself: what a stretch of the source
// becomes is never longer than the stretch (a line break put before a heading comes of a note
// longer than it), so the writing never overtakes the reading. Only a TAB grows (into 　); a text
// that holds one is written into a buffer of its own.
class CleanText {
  public:
    explicit CleanText(std::string& source) {
        const std::size_t tabs =
            static_cast<std::size_t>(std::count(source.begin(), source.end(), '\t'));
        if (tabs > 0) {
            m_own.resize(source.size() + tabs);
            m_buffer = &m_own;
        } else {
            m_buffer = &source;
        }
        m_data = m_buffer->data();
    }

    std::size_t size() const { return m_size; }
    std::string_view view() const { return {m_data, m_size}; }

    // The bytes may lie further up the same buffer.
    void append(std::string_view bytes) {
        std::memmove(m_data + m_size, bytes.data(), bytes.size());
        m_size += bytes.size();
    }
    void push_back(char c) { m_data[m_size++] = c; }
    // An empty line before the one that starts at `at` (the notes read have room for it).
    void insertLineBreak(std::size_t at) {
        std::memmove(m_data + at + 1, m_data + at, m_size - at);
        m_data[at] = '\n';
        ++m_size;
    }
    // Replaces everything from `from` on (no longer than what it replaces and the note read after).
    void replaceTail(std::size_t from, std::string_view bytes) {
        m_size = from;
        append(bytes);
    }

    std::string take() {
        m_buffer->resize(m_size);
        return std::move(*m_buffer);
    }

  private:
    std::string m_own;
    std::string* m_buffer;
    char* m_data;
    std::size_t m_size = 0;
};

class NotationRemover {
  public:
    NotationRemover(std::string& source, Ruby ruby)
        : m_source(source), m_ruby(ruby), m_explanation(explanationBlock(source)),
          m_blockEnds(matchBlockEnds(source, m_explanation)), m_indents(m_blockEnds.indent),
          m_raises(m_blockEnds.raise), m_text(source) {}

    AozoraText run() {
        std::size_t pos = 0;
        while (pos < m_source.size()) {
            if (pos == m_explanation.first && m_explanation.second > m_explanation.first) {
                pos = m_explanation.second;
                continue;
            }
            const std::size_t lf = m_source.find('\n', pos);
            const std::size_t end = lf == npos ? m_source.size() : lf;
            takeLine(m_source.substr(pos, end - pos), lf != npos);
            pos = lf == npos ? end : lf + 1;
        }
        m_result.text = m_text.take();
        return std::move(m_result);
    }

  private:
    // What a line asks of the layout; notes on lines that vanish pass theirs on to the next line.
    struct Requests {
        bool pageBreak = false;
        std::optional<int> indent;
        std::optional<int> raise;
        std::size_t raiseFrom = 0;          // bytes into the line; 0 the whole line
        std::optional<HeadingSize> heading; // a heading starts on the line
        bool blankBefore = false; // a blank column before the line, unless one is there already
    };

    void takeLine(std::string_view line, bool lineBreak) {
        m_lineStart = m_text.size();
        m_hasText = false;
        m_inReading = false;
        m_getaEnd = npos;
        m_scan.scan(line);
        findRubyMarks();

        const std::vector<Symbol>& symbols = m_scan.symbols();
        const std::vector<NoteSpan>& notes = m_scan.notes();
        std::size_t s = 0;    // first symbol not yet passed
        std::size_t next = 0; // first note not yet passed
        for (std::size_t i = 0; i < line.size();) {
            while (s < symbols.size() && symbols[s].at < i)
                ++s; // inside a note or 〔…〕 already taken whole
            const std::size_t textEnd = s < symbols.size() ? symbols[s].at : line.size();
            if (i < textEnd) { // the text between symbols goes as it is
                emitText(line.substr(i, textEnd - i));
                i = textEnd;
                continue;
            }
            const unsigned char symbol = symbols[s].trail;
            while (next < notes.size() && notes[next].open < i)
                ++next;
            if (next < notes.size() && notes[next].open == i) {
                applyNote(line, notes[next]);
                i = notes[next].close + kSymbolSize;
                continue;
            }
            if (symbol == kKome && next < notes.size() && notes[next].open == i + kSymbolSize &&
                m_scan.isGaiji(notes[next])) {
                const GaijiCharacter c = gaijiCharacter(m_scan.body(notes[next]));
                emitGaiji(c);
                i = notes[next].close + kSymbolSize;
                countGaiji(c.kind);
                m_getaEnd = c.kind == GaijiCharacter::Geta ? i : npos;
                continue;
            }
            if (symbol == kRubyOpen && !m_inReading && m_lastRubyClose != npos &&
                i < m_lastRubyClose) {
                // The reading of a 〓 is all a reader has of it: kept even when readings go.
                m_readingKept = m_ruby == Ruby::Parentheses || i == m_getaEnd;
                m_inReading = true;
                if (m_readingKept)
                    emit(kParenOpen);
                i += kSymbolSize;
                continue;
            }
            if (symbol == kRubyClose && m_inReading) {
                if (m_readingKept)
                    emit(kParenClose);
                m_inReading = false;
                i += kSymbolSize;
                continue;
            }
            if (symbol == kRubyBase && m_lastRubyOpen != npos && i < m_lastRubyOpen) {
                i += kSymbolSize;
                continue;
            }
            if (symbol == kTortoiseOpen) {
                // 〔…〕 around ASCII only is Latin text with its accents spelled out: the brackets go.
                const std::size_t from = i + kSymbolSize;
                std::size_t j = from;
                while (j < line.size() && byteAt(line, j) < 0x80)
                    ++j;
                if (j > from && symbolAt(line, j) == kTortoiseClose) {
                    emit(line.substr(from, j - from));
                    i = j + kSymbolSize;
                    continue;
                }
            }
            emit(line.substr(i, kSymbolSize));
            i += kSymbolSize;
        }
        if (const std::string close = std::exchange(m_warichuClose, {}); // closed on its line
            !close.empty() && close != " ")
            emit(close);
        endLine(line.empty(), lineBreak);
    }

    // TAB takes a cell as a full-width space, and FF, which the pages have no use for, goes; a
    // half-width control byte would shift the rest of its row. The pair-cell mark is ours alone.
    void emitText(std::string_view text) {
        // One comparison a byte: control bytes are rare, and find_first_of would call memchr for
        // every byte.
        const bool control = std::any_of(
            text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
        if (!control) {
            emit(text);
            return;
        }
        // Walked by character: a control byte after a lead byte is that character's trail.
        std::size_t from = 0;
        for (std::size_t j = 0; j < text.size(); j += engine::charLengthAt(text, j)) {
            const char b = text[j];
            if (b != '\t' && b != '\f' && b != engine::kPairCellMark)
                continue;
            if (j > from)
                emit(text.substr(from, j - from));
            if (b == '\t')
                emit(kIdeographicSpace);
            from = j + 1;
        }
        if (from < text.size())
            emit(text.substr(from));
    }

    // A 割り注 is set in （）, or in 〔〕 when its own text holds parentheses, so that the two
    // cannot be told apart. Already written inside （…）, it gets no second pair. It ends at its end
    // note or, failing one, at the end of its line.
    void openWarichu(std::string_view line, std::size_t noteStart, std::size_t noteEnd) {
        if (!m_warichuClose.empty())
            return;
        const std::string_view closeNote =
            "\x81\x6D\x81\x94\x8A\x84\x82\xE8\x92\x8D\x8F\x49\x82\xED\x82\xE8\x81\x6E"; // ［＃割り注終わり］
        std::size_t end = line.size();
        bool parentheses = false;
        for (std::size_t j = noteEnd; j < line.size(); j += engine::charLengthAt(line, j)) {
            const std::string_view ch = line.substr(j, engine::charLengthAt(line, j));
            if (line.substr(j).starts_with(closeNote)) {
                end = j;
                break;
            }
            parentheses =
                parentheses || ch == kParenOpen || ch == kParenClose || ch == "(" || ch == ")";
        }
        std::size_t before = 0; // the character right before the note
        for (std::size_t j = 0; j < noteStart; j += engine::charLengthAt(line, j))
            before = j;
        const bool wrapped =
            noteStart > 0 && line.substr(before, noteStart - before) == kParenOpen &&
            end < line.size() && line.substr(end + closeNote.size()).starts_with(kParenClose);
        if (wrapped) {
            m_warichuClose = " "; // open, with nothing to put at its end
            return;
        }
        emit(parentheses ? kTortoiseOpenBytes : kParenOpen);
        m_warichuClose = parentheses ? kTortoiseCloseBytes : kParenClose;
    }

    // A 《 is a reading only when a 》 follows on its line, and a ｜ marks a ruby base only when
    // such a 《 follows it; marks inside notes (escaped ones among them) do not count.
    void findRubyMarks() {
        m_lastRubyClose = npos;
        m_lastRubyOpen = npos;
        std::size_t lastOpen = npos;
        std::size_t next = 0;
        std::size_t passed = 0; // end of the last note passed
        const std::vector<NoteSpan>& notes = m_scan.notes();
        for (const Symbol& symbol : m_scan.symbols()) {
            if (symbol.at < passed)
                continue;
            while (next < notes.size() && notes[next].open < symbol.at)
                ++next;
            if (next < notes.size() && notes[next].open == symbol.at) {
                passed = notes[next].close + kSymbolSize;
                continue;
            }
            if (symbol.trail == kRubyOpen) {
                lastOpen = symbol.at;
            } else if (symbol.trail == kRubyClose) {
                m_lastRubyClose = symbol.at;
                m_lastRubyOpen = lastOpen;
            }
        }
    }

    void applyNote(std::string_view line, const NoteSpan& span) {
        const std::string_view body = m_scan.body(span);
        if (const std::string kanbun = kanbunText(body); !kanbun.empty()) {
            emit(kanbun);
            return;
        }
        switch (warichuNote(body)) {
        case WarichuNote::Open:
            openWarichu(line, span.open, span.close + kSymbolSize);
            return;
        case WarichuNote::Close:
            if (m_warichuClose != " ")
                emit(m_warichuClose);
            m_warichuClose.clear();
            return;
        case WarichuNote::LineBreak:
            if (!m_warichuClose.empty())
                emit(kIdeographicSpace);
            return;
        case WarichuNote::None:
            break;
        }
        if (setUpright(uprightNote(body)))
            return;
        const NoteMeaning note = readNote(body);
        switch (note.action) {
        case NoteAction::None:
            break;
        case NoteAction::PageBreak:
            // Before the line, unless text of this line came first: then before the next one.
            (m_hasText ? m_breakAfterLine : m_requests.pageBreak) = true;
            break;
        case NoteAction::LineIndent:
            if (!m_hasText) // an indent asked for in mid-line has nothing to move
                m_requests.indent = note.amount;
            break;
        case NoteAction::BlockIndent:
            m_indents.open(note.amount, note.wrapAmount);
            break;
        case NoteAction::EndBlockIndent:
            m_indents.close();
            break;
        case NoteAction::LineRaise:
            if (!m_hasText) {
                m_requests.raise = note.amount;
                m_requests.raiseFrom = 0;
            } else if (!m_requests.raise) { // the text after the note goes to the foot
                m_requests.raise = note.amount;
                m_requests.raiseFrom = m_text.size() - m_lineStart;
            }
            break;
        case NoteAction::BlockRaise:
            m_raises.open(note.amount);
            break;
        case NoteAction::EndBlockRaise:
            m_raises.close();
            break;
        case NoteAction::Heading: // names the text before it on its line
            if (!note.runIn && m_hasText) {
                startHeading(note.heading);
                m_blankAfterLine = m_blankAfterLine || note.heading == HeadingSize::Medium;
            }
            break;
        case NoteAction::OpenHeading:
            if (!note.runIn)
                startHeading(note.heading);
            break;
        case NoteAction::CloseHeading:
            if (!note.runIn && note.heading == HeadingSize::Medium)
                (m_hasText ? m_blankAfterLine : m_requests.blankBefore) = true;
            break;
        }
    }

    // 縦中横 around two half-width characters sets them in one cell; around anything else it
    // leaves the text as it is. Returns whether the note was one of 縦中横.
    bool setUpright(const UprightNote& note) {
        const std::string_view text = m_text.view();
        switch (note.kind) {
        case UprightNote::None:
            return false;
        case UprightNote::Open:
            m_uprightFrom = text.size();
            return true;
        case UprightNote::Close:
            if (m_uprightFrom != npos && m_uprightFrom >= m_lineStart)
                makeUpright(m_uprightFrom);
            m_uprightFrom = npos;
            return true;
        case UprightNote::Named:
            if (text.size() - m_lineStart >= note.named.size() && text.ends_with(note.named) &&
                startsCharacter(text.size() - note.named.size()))
                makeUpright(text.size() - note.named.size());
            return true;
        }
        return false;
    }

    void makeUpright(std::size_t from) {
        if (const std::string pair = uprightPair(m_text.view().substr(from)); !pair.empty())
            m_text.replaceTail(from, pair);
    }

    // Whether a character of the line being written starts at offset `at` of the text.
    bool startsCharacter(std::size_t at) const {
        const std::string_view text = m_text.view();
        std::size_t i = m_lineStart;
        while (i < at)
            i += engine::charLengthAt(text, i);
        return i == at;
    }

    // ‼ ⁉ ⁈ read as two half-width marks in one cell.
    void emitGaiji(const GaijiCharacter& c) {
        const bool marks = c.bytes.size() == 2 && c.bytes.find_first_not_of("!?") == npos;
        if (c.kind == GaijiCharacter::ReadableForm && marks)
            emit(std::string(1, engine::kPairCellMark) + c.bytes);
        else
            emit(c.bytes);
    }

    // 大見出し starts a page; 中見出し and 小見出し take a blank column before them.
    void startHeading(HeadingSize size) {
        if (!m_requests.heading || size < *m_requests.heading)
            m_requests.heading = size;
    }

    void countGaiji(GaijiCharacter::Kind kind) {
        engine::GaijiCounts& n = m_result.gaiji;
        ++(kind == GaijiCharacter::Exact          ? n.exact
           : kind == GaijiCharacter::ReadableForm ? n.readableForm
                                                  : n.geta);
    }

    // The blocks in force when a line's first character comes are the line's.
    void takeBlocks() {
        m_blockIndent = m_indents.innermost(0);
        m_blockWrap = m_indents.innermostWrap();
        m_blockRaise = m_raises.innermost(-1);
    }

    void emit(std::string_view bytes) {
        if (m_inReading && !m_readingKept)
            return;
        if (!m_hasText) {
            m_hasText = true;
            takeBlocks();
        }
        m_text.append(bytes);
    }

    // A line that had characters and lost them all held nothing but notation: it goes with its
    // line break, and what its notes asked waits for the next line that stays.
    void endLine(bool emptyInSource, bool lineBreak) {
        if (!emptyInSource && !m_hasText)
            return;
        if (!m_hasText)
            takeBlocks();
        const bool empty = m_text.size() == m_lineStart;
        const std::optional<HeadingSize> heading = m_requests.heading;
        engine::LineLayout layout;
        // A 大見出し on a page that holds no text yet (the text's first, or one after a page
        // break and blank lines) is at the top of its page already.
        layout.pageBreakBefore =
            m_requests.pageBreak || (heading == HeadingSize::Large && m_pageHasText);
        const bool blankBefore = m_requests.blankBefore || heading == HeadingSize::Medium ||
                                 heading == HeadingSize::Small;
        if (blankBefore && !empty && !layout.pageBreakBefore && m_pageHasText &&
            !followsEmptyLine()) {
            m_text.insertLineBreak(m_lineStart);
            ++m_lineStart;
        }
        layout.lineStart = m_lineStart;
        layout.indent = m_requests.indent.value_or(m_blockIndent);
        if (!m_requests.indent && m_blockWrap >= 0 && m_blockWrap != layout.indent)
            layout.wrapIndent = m_blockWrap;
        layout.raise = m_requests.raise.value_or(m_blockRaise);
        if (m_requests.raise && m_requests.raiseFrom > 0) {
            if (m_lineStart + m_requests.raiseFrom < m_text.size())
                layout.raiseFrom = m_requests.raiseFrom;
            else // nothing after the note to move
                layout.raise = m_blockRaise;
        }
        if (layout.pageBreakBefore || layout.indent != 0 || layout.wrapIndent >= 0 ||
            layout.raise >= 0)
            m_result.lines.push_back(layout);
        m_pageHasText = (m_pageHasText && !layout.pageBreakBefore) || !empty;
        m_requests = Requests{};
        m_requests.pageBreak = m_breakAfterLine;
        m_requests.blankBefore = m_blankAfterLine;
        m_breakAfterLine = false;
        m_blankAfterLine = false;
        if (lineBreak)
            m_text.push_back('\n');
    }

    // The line before the one in hand was empty (the text starts with the one in hand: no).
    bool followsEmptyLine() const {
        const std::string_view text = m_text.view();
        return m_lineStart > 0 && text[m_lineStart - 1] == '\n' &&
               (m_lineStart == 1 || text[m_lineStart - 2] == '\n');
    }

    std::string_view m_source;
    Ruby m_ruby;
    std::pair<std::size_t, std::size_t> m_explanation;
    BlockEnds m_blockEnds;
    Blocks m_indents;
    Blocks m_raises;
    CleanText m_text;
    AozoraText m_result;
    Requests m_requests;
    bool m_breakAfterLine = false;
    bool m_blankAfterLine = false; // a 中見出し ended on the line in hand
    bool m_pageHasText = false;    // since the text's start or its last page break

    // The line being read.
    LineScan m_scan;
    std::size_t m_lineStart = 0;
    bool m_hasText = false;
    bool m_inReading = false;
    std::string m_warichuClose; // what ends the open 割り注; " " when the text's own （） frame it
    bool m_readingKept = false;       // the reading goes out in （）
    std::size_t m_getaEnd = npos;     // where the last gaiji left as 〓 ends
    std::size_t m_uprightFrom = npos; // where the text of an open 縦中横 starts
    int m_blockIndent = 0;
    int m_blockWrap = -1;
    int m_blockRaise = -1;
    std::size_t m_lastRubyClose = npos;
    std::size_t m_lastRubyOpen = npos; // the last 《 that has a 》 after it
};

} // namespace

AozoraText RemoveAozoraNotation(std::string&& textAsRead, Ruby ruby) {
    std::string text = std::move(textAsRead);
    return NotationRemover(text, ruby).run();
}

AozoraText RemoveAozoraNotation(std::string_view textAsRead, Ruby ruby) {
    return RemoveAozoraNotation(std::string(textAsRead), ruby);
}

} // namespace input

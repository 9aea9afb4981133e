#include "input/aozora_scan.h"

#include "engine/sjis.h"
#include "input/aozora_notes.h"

#include <algorithm>

namespace input::aozora {

namespace {

using engine::byteAt;

// The explanation block's heading names the signs (記号) or the spelling (表記) of the text, in
// words that vary from text to text: 【テキスト中に現れる記号について】, ［表記について］, misspelt ones.
constexpr std::string_view kKigo = "\x8B\x4C\x8D\x86";                          // 記号
constexpr std::string_view kHyoki = "\x95\x5C\x8B\x4C";                         // 表記
constexpr std::string_view kQuoteOpen = "\x81\x75";                             // 「
constexpr std::string_view kQuoteClose = "\x81\x76";                            // 」
constexpr std::string_view kBlockNoteOpen = "\x81\x6D\x81\x94\x82\xB1\x82\xB1"; // ［＃ここ
constexpr std::size_t kExplanationSearchLines = 60;
constexpr std::size_t kMinRuleLength = 10;
constexpr std::size_t npos = std::string_view::npos;

bool isRule(std::string_view line) {
    return line.size() >= kMinRuleLength && line.find_first_not_of('-') == npos;
}

bool containsWord(std::string_view line, std::string_view word) {
    for (std::size_t i = 0; i < line.size(); i += engine::charLengthAt(line, i))
        if (line.substr(i).starts_with(word))
            return true;
    return false;
}

bool isExplanationHeading(std::string_view line) {
    return containsWord(line, kKigo) || containsWord(line, kHyoki);
}

// The symbols the passes after the walk look at; other full-width signs are text.
bool isNotationSymbol(unsigned char trail) {
    switch (trail) {
    case kOpenBracket:
    case kCloseBracket:
    case kSharp:
    case kKome:
    case kRubyOpen:
    case kRubyClose:
    case kRubyBase:
    case kTortoiseOpen:
    case kTortoiseClose:
        return true;
    default:
        return false;
    }
}

} // namespace

unsigned char symbolAt(std::string_view line, std::size_t i) {
    return i + 1 < line.size() && byteAt(line, i) == kSymbolLead ? byteAt(line, i + 1) : 0;
}

// Every ［ is paired with its ］ on the line, so that brackets inside a note (a quoted ［…］, a
// nested note) stay inside it; the pairs that open with ［＃ are the notes. A ［＃ left open at the
// end of the line is no note and stays in the text.
void LineScan::scan(std::string_view line) {
    m_line = line;
    m_symbols.clear();
    m_notes.clear();
    m_openBrackets.clear();
    // The one walk over the line's characters; everything after it looks at the symbols only. A
    // bracket quoted alone, 「［」 or 「］」 (a note about a bracket of the text), is a character of
    // the note and pairs with nothing.
    std::size_t previous = npos; // start of the character before i
    for (std::size_t i = 0; i < line.size();) {
        const unsigned char b = byteAt(line, i);
        if (!engine::isLeadByte(b) || i + 1 == line.size()) {
            previous = i++;
            continue;
        }
        const unsigned char trail = byteAt(line, i + 1);
        const bool quotedBracket = (trail == kOpenBracket || trail == kCloseBracket) &&
                                   previous != npos && previous + kSymbolSize == i &&
                                   line.substr(previous, 2) == kQuoteOpen &&
                                   line.substr(i + 2, 2) == kQuoteClose;
        if (b == kSymbolLead && isNotationSymbol(trail) && !quotedBracket)
            m_symbols.push_back({i, trail});
        previous = i;
        i += 2;
    }
    for (std::size_t k = 0; k < m_symbols.size(); ++k) {
        const Symbol& symbol = m_symbols[k];
        if (symbol.trail == kOpenBracket) {
            const bool opensNote = k + 1 < m_symbols.size() && m_symbols[k + 1].trail == kSharp &&
                                   m_symbols[k + 1].at == symbol.at + kSymbolSize;
            const bool afterKome = k > 0 && m_symbols[k - 1].trail == kKome &&
                                   m_symbols[k - 1].at + kSymbolSize == symbol.at;
            m_openBrackets.push_back({symbol.at, opensNote, afterKome});
        } else if (symbol.trail == kCloseBracket && !m_openBrackets.empty()) {
            const OpenBracket open = m_openBrackets.back();
            m_openBrackets.pop_back();
            if (open.opensNote)
                m_notes.push_back({open.at, symbol.at, open.afterKome});
        }
    }
    std::sort(m_notes.begin(), m_notes.end(),
              [](const NoteSpan& a, const NoteSpan& b) { return a.open < b.open; });
}

std::string_view LineScan::body(const NoteSpan& note) const {
    const std::size_t begin = note.open + 2 * kSymbolSize;
    return m_line.substr(begin, note.close - begin);
}

bool LineScan::isGaiji(const NoteSpan& note) const {
    return note.afterKome && isGaijiNote(body(note));
}

std::pair<std::size_t, std::size_t> explanationBlock(std::string_view text) {
    auto lineAt = [&](std::size_t pos) {
        const std::size_t lf = text.find('\n', pos);
        const std::size_t end = lf == npos ? text.size() : lf;
        return std::pair{text.substr(pos, end - pos), lf == npos ? end : lf + 1};
    };
    std::size_t pos = 0;
    for (std::size_t n = 0; n < kExplanationSearchLines && pos < text.size(); ++n) {
        const auto [line, next] = lineAt(pos);
        if (isRule(line) && isExplanationHeading(lineAt(next).first)) {
            for (std::size_t p = lineAt(next).second; p < text.size();) {
                const auto [inner, after] = lineAt(p);
                if (isRule(inner))
                    return {pos, after};
                p = after;
            }
            return {0, 0};
        }
        pos = next;
    }
    return {0, 0};
}

// Every block note and its end begin ［＃ここ (ここから…, ここで…終わり): only the lines that hold
// those bytes are read, so this pass costs little beside the main one.
BlockEnds matchBlockEnds(std::string_view text, std::pair<std::size_t, std::size_t> skipped) {
    BlockEnds ends;
    std::vector<std::size_t> openIndents; // blocks not yet matched, innermost last
    std::vector<std::size_t> openRaises;
    auto open = [](std::vector<bool>& blocks, std::vector<std::size_t>& unmatched) {
        unmatched.push_back(blocks.size());
        blocks.push_back(false);
    };
    auto close = [](std::vector<bool>& blocks, std::vector<std::size_t>& unmatched) {
        if (unmatched.empty())
            return;
        blocks[unmatched.back()] = true;
        unmatched.pop_back();
    };
    LineScan scan;
    for (std::size_t hit = text.find(kBlockNoteOpen); hit != npos;) {
        const std::size_t lineStart = hit == 0 ? 0 : text.rfind('\n', hit - 1) + 1; // npos + 1 is 0
        const std::size_t lf = text.find('\n', hit);
        const std::size_t lineEnd = lf == npos ? text.size() : lf;
        if (lineStart < skipped.first || lineStart >= skipped.second) {
            scan.scan(text.substr(lineStart, lineEnd - lineStart));
            scan.forEachActingNote([&](std::string_view body) {
                switch (readNote(body).action) {
                case NoteAction::BlockIndent:
                    open(ends.indent, openIndents);
                    break;
                case NoteAction::EndBlockIndent:
                    close(ends.indent, openIndents);
                    break;
                case NoteAction::BlockRaise:
                    open(ends.raise, openRaises);
                    break;
                case NoteAction::EndBlockRaise:
                    close(ends.raise, openRaises);
                    break;
                default:
                    break;
                }
            });
        }
        hit = lf == npos ? npos : text.find(kBlockNoteOpen, lf + 1);
    }
    return ends;
}

} // namespace input::aozora

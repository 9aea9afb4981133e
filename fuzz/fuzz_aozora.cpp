// Aozora Bunko notation taken out of a text: what stays is characters of the text, in order, each
// line on its own; no note or reading is left behind but those written unclosed; the characters a
// note may put in (kanbun marks, a 割り注's brackets and spaces) and the 　 of a TAB come only where
// such a note or TAB stands; the line layouts point at lines of the result. The first byte picks the ruby mode, the rest is the file.
#include "engine/text_stream.h"
#include "fuzz_check.h"
#include "input/aozora_marks.h"
#include "input/aozora_notation.h"
#include "input/aozora_notes.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view kOpenBracket = "\x81\x6D";   // ［
constexpr std::string_view kCloseBracket = "\x81\x6E";  // ］
constexpr std::string_view kSharp = "\x81\x94";         // ＃
constexpr std::string_view kKome = "\x81\xA6";          // ※
constexpr std::string_view kRubyOpen = "\x81\x73";      // 《
constexpr std::string_view kRubyClose = "\x81\x74";     // 》
constexpr std::string_view kRubyBase = "\x81\x62";      // ｜
constexpr std::string_view kParenOpen = "\x81\x69";     // （
constexpr std::string_view kParenClose = "\x81\x6A";    // ）
constexpr std::string_view kTortoiseOpen = "\x81\x6B";  // 〔
constexpr std::string_view kTortoiseClose = "\x81\x6C"; // 〕
constexpr std::string_view kSpace = "\x81\x40";         // 　
constexpr std::string_view kQuoteOpen = "\x81\x75";     // 「
constexpr std::string_view kQuoteClose = "\x81\x76";    // 」
constexpr std::string_view kKigo = "\x8B\x4C\x8D\x86";  // 記号
constexpr std::string_view kHyoki = "\x95\x5C\x8B\x4C"; // 表記
constexpr std::size_t npos = std::string_view::npos;

// Code page 932 characters, walked from the start: a lead byte takes the next byte, if any.
std::vector<std::string_view> characters(std::string_view s) {
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        const std::size_t n = lead && i + 1 < s.size() ? 2 : 1;
        chars.push_back(s.substr(i, n));
        i += n;
    }
    return chars;
}

// A character that may reach the output for a line: one of the text outside the notes, or the
// character a ※［＃…］ may stand for. `mark`: a 《 or 》 written in the text, which a reading may
// turn into （ or ）.
struct Candidate {
    std::string ch;
    bool mark = false;
};

// The line's characters outside its notes ［＃…］, with every ［ paired to its ］ on the line
// (innermost first), so that a note's quoted brackets and nested notes stay inside it.
std::vector<Candidate> candidates(std::string_view line) {
    const std::vector<std::string_view> chars = characters(line);
    std::vector<std::size_t> noteClose(chars.size(), npos); // at the ［ of each note
    std::vector<std::size_t> open;
    auto quotedAlone = [&](std::size_t k) {
        return k > 0 && k + 1 < chars.size() && chars[k - 1] == kQuoteOpen &&
               chars[k + 1] == kQuoteClose;
    };
    for (std::size_t k = 0; k < chars.size(); ++k) {
        if (quotedAlone(k))
            continue;
        if (chars[k] == kOpenBracket) {
            open.push_back(k);
        } else if (chars[k] == kCloseBracket && !open.empty()) {
            const std::size_t o = open.back();
            open.pop_back();
            if (o + 1 < k && chars[o + 1] == kSharp)
                noteClose[o] = k;
        }
    }
    std::vector<Candidate> result;
    bool warichu = false; // a 割り注 note was seen: its close may come at the line's end
    for (std::size_t k = 0; k < chars.size(); ++k) {
        if (noteClose[k] != npos) {
            if (k > 0 && chars[k - 1] == kKome) {
                const std::size_t from =
                    static_cast<std::size_t>(chars[k + 1].data() - line.data()) + 2;
                const std::size_t to =
                    static_cast<std::size_t>(chars[noteClose[k]].data() - line.data());
                // A readable form may be several characters (ワ゛, !!).
                const std::string form =
                    input::aozora::gaijiCharacter(line.substr(from, to - from)).bytes;
                for (std::string_view ch : characters(form))
                    result.push_back({std::string(ch)});
            }
            const std::size_t from =
                static_cast<std::size_t>(chars[k + 1].data() - line.data()) + 2;
            const std::size_t to =
                static_cast<std::size_t>(chars[noteClose[k]].data() - line.data());
            const std::string_view body = line.substr(from, to - from);
            const std::string kanbun = input::aozora::kanbunText(body); // outlives its views
            for (std::string_view ch : characters(kanbun))
                result.push_back({std::string(ch)});
            switch (input::aozora::warichuNote(body)) {
            case input::aozora::WarichuNote::Open:
                warichu = true;
                result.push_back({std::string(kParenOpen) + std::string(kTortoiseOpen)});
                break;
            case input::aozora::WarichuNote::Close:
                result.push_back({std::string(kParenClose) + std::string(kTortoiseClose)});
                break;
            case input::aozora::WarichuNote::LineBreak:
                result.push_back({std::string(kSpace)});
                break;
            case input::aozora::WarichuNote::None:
                break;
            }
            k = noteClose[k];
            continue;
        }
        if (chars[k] == "\f" || chars[k] == "\x1F") // both go
            continue;
        if (chars[k] == "\t") {
            result.push_back({std::string(kSpace)});
            continue;
        }
        result.push_back({std::string(chars[k]), chars[k] == kRubyOpen || chars[k] == kRubyClose});
    }
    if (warichu)
        result.push_back({std::string(kParenClose) + std::string(kTortoiseClose)});
    return result;
}

// A TAB is a full-width space, an FF nothing, and so is a byte that would read as a pair cell.
std::string withoutControls(std::string_view line) {
    std::string out;
    for (std::string_view ch : characters(line)) {
        if (ch == "\t")
            out += kSpace;
        else if (ch != "\f" && ch != "\x1F")
            out += ch;
    }
    return out;
}

// The output without its pair cells (縦中横, ‼), which stand for characters of a note or of the line
// in another width.
std::string withoutPairs(std::string_view out) {
    std::string rest;
    const std::vector<std::string_view> chars = characters(out);
    for (std::size_t k = 0; k < chars.size(); ++k) {
        if (chars[k] == "\x1F")
            k += 2; // the mark and its two ASCII characters
        else
            rest += chars[k];
    }
    return rest;
}

// Empty lines as one: a heading may ask for an empty line before or after it.
std::string squeezedLines(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '\n' || out.empty() || out.back() != '\n')
            out += c;
    return out;
}

// The text of one line, put out for `line` alone: checked against the line's characters.
void checkLine(std::string_view line, std::string_view written, input::Ruby ruby) {
    FUZZ_CHECK(written.size() <=
               line.size() + static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')));
    FUZZ_CHECK(written.find('\n') == npos);
    const std::string rest = withoutPairs(written);
    const std::string_view out = rest;
    const std::vector<Candidate> c = candidates(line);
    const std::vector<std::string_view> o = characters(out);

    // A line without the notation's symbols is all text.
    const std::vector<std::string_view> in = characters(line);
    if (std::none_of(in.begin(), in.end(), [](std::string_view ch) {
            return ch.size() == 2 && ch[0] == '\x81' &&
                   std::string_view("\x6D\x6E\x94\xA6\x73\x74\x62\x6B\x6C").find(ch[1]) != npos;
        }))
        FUZZ_CHECK(out == withoutControls(line));

    // Every character out is one of the line's, in order; a reading's marks may become （ ）.
    std::size_t at = 0;
    for (std::string_view ch : o) {
        while (at < c.size() && !(c[at].ch == ch ||
                                  (c[at].ch.size() == 4 &&
                                   (c[at].ch.substr(0, 2) == ch || c[at].ch.substr(2) == ch)) ||
                                  (c[at].mark && c[at].ch == kRubyOpen && ch == kParenOpen) ||
                                  (c[at].mark && c[at].ch == kRubyClose && ch == kParenClose)))
            ++at;
        FUZZ_CHECK(at < c.size());
        ++at;
    }

    // A 《 stays when the next mark of the line is no 》 (none, or a 《 in whose reading it stands),
    // or when a gaiji stands for it.
    std::size_t rubyOpensAllowed = 0;
    for (std::size_t k = 0; k < c.size(); ++k) {
        if (c[k].ch != kRubyOpen)
            continue;
        if (!c[k].mark) {
            ++rubyOpensAllowed;
            continue;
        }
        std::size_t next = k + 1;
        while (next < c.size() && !c[next].mark)
            ++next;
        if (next == c.size() || c[next].ch != kRubyClose)
            ++rubyOpensAllowed;
    }
    // A ［＃ stays where the line's own ［ and ＃ meet: written so and left unclosed, brought
    // together by dropping a ｜ (or, dropping readings, a reading), or stood for by gaiji.
    std::size_t noteOpensAllowed = 0;
    for (std::size_t k = 0; k < c.size(); ++k) {
        if (c[k].ch != kOpenBracket)
            continue;
        std::size_t next = k + 1;
        while (next < c.size() && c[next].ch == kRubyBase)
            ++next;
        if (next == c.size())
            continue;
        if (c[next].ch == kSharp) {
            ++noteOpensAllowed;
        } else if (ruby == input::Ruby::Drop && c[next].mark && c[next].ch == kRubyOpen) {
            for (std::size_t j = next + 1; j < c.size(); ++j) {
                if (c[j].ch == kSharp) {
                    ++noteOpensAllowed;
                    break;
                }
            }
        }
    }
    std::size_t rubyOpens = 0;
    std::size_t noteOpens = 0;
    for (std::size_t k = 0; k < o.size(); ++k) {
        rubyOpens += o[k] == kRubyOpen;
        noteOpens += o[k] == kOpenBracket && k + 1 < o.size() && o[k + 1] == kSharp;
    }
    FUZZ_CHECK(rubyOpens <= rubyOpensAllowed);
    FUZZ_CHECK(noteOpens <= noteOpensAllowed);
}

bool isRule(std::string_view line) {
    return line.size() >= 10 && line.find_first_not_of('-') == npos;
}

// The lines of a text as the remover walks them: each without its LF, and whether it had one.
std::vector<std::pair<std::string_view, bool>> lines(std::string_view text) {
    std::vector<std::pair<std::string_view, bool>> result;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t lf = text.find('\n', pos);
        result.emplace_back(text.substr(pos, (lf == npos ? text.size() : lf) - pos), lf != npos);
        pos = lf == npos ? text.size() : lf + 1;
    }
    return result;
}

bool containsWord(std::string_view line, std::string_view word) {
    for (std::string_view ch : characters(line))
        if (line.substr(static_cast<std::size_t>(ch.data() - line.data())).starts_with(word))
            return true;
    return false;
}

// The explanation block as line indices [first, last): a rule among the first 60 lines with a
// heading holding 記号 or 表記 right after it, through the next rule. Nothing when that rule never comes.
std::pair<std::size_t, std::size_t>
explanation(const std::vector<std::pair<std::string_view, bool>>& all) {
    for (std::size_t n = 0; n < all.size() && n < 60; ++n) {
        if (!isRule(all[n].first))
            continue;
        if (n + 1 >= all.size() ||
            !(containsWord(all[n + 1].first, kKigo) || containsWord(all[n + 1].first, kHyoki)))
            continue;
        for (std::size_t m = n + 2; m < all.size(); ++m)
            if (isRule(all[m].first))
                return {n, m + 1};
        return {0, 0};
    }
    return {0, 0};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const input::Ruby ruby = (data[0] & 1) != 0 ? input::Ruby::Parentheses : input::Ruby::Drop;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    engine::MakeTextAsRead(text);

    const input::AozoraText result = input::RemoveAozoraNotation(text, ruby);
    // A reading's （ ） take the place of its 《 》, and the marks a note puts in are no longer than
    // the note, so the text grows only by the TABs that become 　.
    FUZZ_CHECK(result.text.size() <=
               text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\t')));

    // Each line's text comes from that line alone; a line that held only notation goes with its LF.
    const auto all = lines(text);
    const auto [skipFrom, skipTo] = explanation(all);
    std::string joined;
    for (std::size_t n = 0; n < all.size(); ++n) {
        if (n >= skipFrom && n < skipTo)
            continue;
        const auto [line, lineBreak] = all[n];
        const input::AozoraText part = input::RemoveAozoraNotation(line, ruby);
        checkLine(line, part.text, ruby);
        if (!line.empty() && part.text.empty())
            continue;
        joined += part.text;
        if (lineBreak)
            joined += '\n';
    }
    FUZZ_CHECK(squeezedLines(joined) == squeezedLines(result.text));

    // Sorted, one entry a line at most, each at the start of a line of the result and asking for
    // something.
    for (std::size_t k = 0; k < result.lines.size(); ++k) {
        const engine::LineLayout& layout = result.lines[k];
        FUZZ_CHECK(layout.lineStart < result.text.size());
        FUZZ_CHECK(layout.lineStart == 0 || result.text[layout.lineStart - 1] == '\n');
        FUZZ_CHECK(k == 0 || result.lines[k - 1].lineStart < layout.lineStart);
        FUZZ_CHECK(layout.indent >= 0 && layout.raise >= -1);
        FUZZ_CHECK(layout.pageBreakBefore || layout.indent != 0 || layout.raise >= 0);
    }
    return 0;
}

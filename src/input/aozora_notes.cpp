#include "input/aozora_notes.h"

#include "engine/sjis.h"
#include "input/jisx0213_table.h"
#include "input/readable_forms.h"

#include <algorithm>
#include <array>
#include <optional>

namespace input::aozora {

namespace {

using engine::byteAt;
using engine::charLengthAt;

// Words of the notes, code page 932.
constexpr std::string_view kComma = "\x81\x41";                            // 、
constexpr std::string_view kOpenQuote = "\x81\x75";                        // 「
constexpr std::string_view kCloseQuote = "\x81\x76";                       // 」
constexpr std::string_view kFullWidthHyphen = "\x81\x7C";                  // －
constexpr std::string_view kKokoKara = "\x82\xB1\x82\xB1\x82\xA9\x82\xE7"; // ここから
constexpr std::string_view kKokoDe = "\x82\xB1\x82\xB1\x82\xC5";           // ここで
constexpr std::string_view kTenKara = "\x93\x56\x82\xA9\x82\xE7";          // 天から
constexpr std::string_view kChiKara = "\x92\x6E\x82\xA9\x82\xE7";          // 地から
constexpr std::string_view kJisage = "\x8E\x9A\x89\xBA\x82\xB0";           // 字下げ
constexpr std::string_view kJiage = "\x8E\x9A\x8F\xE3\x82\xB0";            // 字上げ
constexpr std::string_view kJiaki = "\x8E\x9A\x83\x41\x83\x4C";            // 字アキ
constexpr std::string_view kChitsuki = "\x92\x6E\x95\x74\x82\xAB";         // 地付き
constexpr std::string_view kChiyori = "\x92\x6E\x82\xE6\x82\xE8";          // 地より
constexpr std::string_view kOwari = "\x8F\x49\x82\xED\x82\xE8";            // 終わり
constexpr std::string_view kKaigyoTentsuki =
    "\x89\xFC\x8D\x73\x93\x56\x95\x74\x82\xAB";          // 改行天付き
constexpr std::string_view kDai = "\x91\xE6";            // 第
constexpr std::string_view kSuijun = "\x90\x85\x8F\x80"; // 水準

constexpr std::string_view kOrikaeshite = "\x90\xDC\x82\xE8\x95\xD4\x82\xB5\x82\xC4"; // 折り返して
constexpr std::string_view kMidashi = "\x8C\xA9\x8F\x6F\x82\xB5";                     // 見出し
constexpr std::string_view kLarge = "\x91\xE5";                                       // 大
constexpr std::string_view kMedium = "\x92\x86";                                      // 中
constexpr std::string_view kSmall = "\x8F\xAC";                                       // 小
constexpr std::string_view kDogyo = "\x93\xAF\x8D\x73";                               // 同行
constexpr std::string_view kMado = "\x91\x8B";                                        // 窓
constexpr std::string_view kWa = "\x82\xCD";                                          // は

constexpr std::array<std::string_view, 5> kPageBreaks = {
    "\x89\xFC\x83\x79\x81\x5B\x83\x57", // 改ページ
    "\x89\xFC\x92\x9A",                 // 改丁
    "\x89\xFC\x8C\xA9\x8A\x4A\x82\xAB", // 改見開き
    "\x89\xFC\x92\x69",                 // 改段
    "\x89\xFC\x95\xC5",                 // 改頁, an older spelling some texts keep
};

// How the notes that mark up the text (rather than stand for a character) end; ※ before one of
// them is a ※ of the text.
constexpr std::array<std::string_view, 20> kMarkupEndings = {
    "\x8F\x49\x82\xED\x82\xE8",                         // 終わり
    "\x96\x54\x93\x5F",                                 // 傍点
    "\x96\x54\x90\xFC",                                 // 傍線
    "\x94\x67\x90\xFC",                                 // 波線
    "\x94\x6A\x90\xFC",                                 // 破線
    "\x8D\xBD\x90\xFC",                                 // 鎖線
    "\x91\xBE\x8E\x9A",                                 // 太字
    "\x8E\xCE\x91\xCC",                                 // 斜体
    "\x8C\xA9\x8F\x6F\x82\xB5",                         // 見出し
    "\x95\xB6\x8E\x9A",                                 // 文字
    "\x8F\x63\x92\x86\x89\xA1",                         // 縦中横
    "\x89\xA1\x91\x67\x82\xDD",                         // 横組み
    "\x8C\x72\x88\xCD\x82\xDD",                         // 罫囲み
    "\x8A\x84\x82\xE8\x92\x8D",                         // 割り注
    "\x83\x4C\x83\x83\x83\x76\x83\x56\x83\x87\x83\x93", // キャプション
    "\x8D\xB6\x89\x45\x92\x86\x89\x9B",                 // 左右中央
    "\x8E\x9A\x8B\x6C\x82\xDF",                         // 字詰め
    "\x83\x8B\x83\x72",                                 // ルビ
    "\x92\x8D\x8B\x4C",                                 // 注記
    "\x83\x7D\x83\x7D",                                 // ママ
};

constexpr std::array<std::string_view, 4> kReferenceParticles = {
    "\x82\xCD",         // は
    "\x82\xC9",         // に
    "\x82\xF0",         // を
    "\x82\xA9\x82\xE7", // から
};

// Reads a body from the front. It stays on character starts, so a word can only match whole
// characters, never a trail byte and the lead byte after it.
class Cursor {
  public:
    explicit Cursor(std::string_view s) : m_s(s) {}

    bool atEnd() const { return m_pos >= m_s.size(); }

    bool take(std::string_view word) {
        if (!m_s.substr(m_pos).starts_with(word))
            return false;
        m_pos += word.size();
        return true;
    }

    // ASCII or full-width digits (０ is 0x82 0x4F ... ９ 0x82 0x58); large values stop growing.
    std::optional<int> takeNumber() {
        std::optional<int> value;
        while (!atEnd()) {
            int digit;
            const unsigned char b = byteAt(m_s, m_pos);
            if (b >= '0' && b <= '9') {
                digit = b - '0';
                m_pos += 1;
            } else if (b == 0x82 && m_pos + 1 < m_s.size() && byteAt(m_s, m_pos + 1) >= 0x4F &&
                       byteAt(m_s, m_pos + 1) <= 0x58) {
                digit = byteAt(m_s, m_pos + 1) - 0x4F;
                m_pos += 2;
            } else {
                break;
            }
            value = std::min(value.value_or(0) * 10 + digit, 100000);
        }
        return value;
    }

    bool takeHyphen() { return take("-") || take(kFullWidthHyphen); }

    // "U+" and four to six hex digits.
    std::optional<char32_t> takeCodePoint() {
        if (!take("U+") && !take("u+"))
            return std::nullopt;
        char32_t value = 0;
        int digits = 0;
        for (; !atEnd() && digits < 7; ++digits, ++m_pos) {
            const unsigned char b = byteAt(m_s, m_pos);
            int v;
            if (b >= '0' && b <= '9')
                v = b - '0';
            else if (b >= 'A' && b <= 'F')
                v = b - 'A' + 10;
            else if (b >= 'a' && b <= 'f')
                v = b - 'a' + 10;
            else
                break;
            value = value * 16 + static_cast<char32_t>(v);
        }
        if (digits < 4 || digits > 6)
            return std::nullopt;
        return value;
    }

  private:
    std::string_view m_s;
    std::size_t m_pos = 0;
};

bool endsWithWord(std::string_view s, std::string_view word) {
    if (s.size() < word.size() || !s.ends_with(word))
        return false;
    const std::size_t at = s.size() - word.size();
    std::size_t i = 0;
    while (i < at)
        i += charLengthAt(s, i);
    return i == at; // the word starts on a character, not inside one
}

// N字下げ / 天からN字下げ
std::optional<int> lineIndent(std::string_view body) {
    Cursor c(body);
    c.take(kTenKara);
    const auto n = c.takeNumber();
    if (n && c.take(kJisage) && c.atEnd())
        return n;
    return std::nullopt;
}

// ここからN字下げ[、…] / ここから改行天付き[、…], with the further columns' indent when a
// 折り返してM字下げ follows.
std::optional<NoteMeaning> blockIndent(std::string_view body) {
    Cursor c(body);
    if (!c.take(kKokoKara))
        return std::nullopt;
    NoteMeaning meaning{NoteAction::BlockIndent, 0};
    if (!c.take(kKaigyoTentsuki)) {
        const auto n = c.takeNumber();
        if (!n || !c.take(kJisage))
            return std::nullopt;
        meaning.amount = *n;
    }
    if (c.atEnd())
        return meaning;
    if (!c.take(kComma))
        return std::nullopt;
    if (c.take(kOrikaeshite)) {
        const auto m = c.takeNumber();
        if (m && c.take(kJisage) && (c.atEnd() || c.take(kComma)))
            meaning.wrapAmount = *m;
    }
    return meaning;
}

bool endsBlockIndent(std::string_view body) {
    Cursor c(body);
    if (!c.take(kKokoDe) || !c.take(kJisage))
        return false;
    if (c.take(kOwari))
        return c.atEnd();
    return c.take(kComma); // ここで字下げ、罫囲み終わり and the like
}

// 地付き / 地付き、地よりN字アキ / 地からN字上げ, after an optional prefix.
std::optional<int> raise(Cursor& c) {
    if (c.take(kChitsuki)) {
        if (c.atEnd())
            return 0;
        if (c.take(kComma) && c.take(kChiyori)) {
            const auto n = c.takeNumber();
            if (n && c.take(kJiaki) && c.atEnd())
                return n;
        }
        return std::nullopt;
    }
    if (c.take(kChiKara)) {
        const auto n = c.takeNumber();
        if (n && c.take(kJiage) && c.atEnd())
            return n;
    }
    return std::nullopt;
}

bool endsBlockRaise(std::string_view body) {
    Cursor c(body);
    return c.take(kKokoDe) && (c.take(kChitsuki) || c.take(kJiage)) && c.take(kOwari) && c.atEnd();
}

// A note's parts, split at the commas that are not inside 「…」 (a quoted description may hold
// commas of its own).
bool quotesBalance(std::string_view body) {
    int depth = 0;
    for (std::size_t i = 0; i < body.size(); i += charLengthAt(body, i)) {
        const std::string_view ch = body.substr(i, charLengthAt(body, i));
        if (ch == kOpenQuote)
            ++depth;
        else if (ch == kCloseQuote && --depth < 0)
            return false;
    }
    return depth == 0;
}

template <typename Visit> void forEachPart(std::string_view body, Visit visit) {
    // A description with an unbalanced 「 would hide the code after it; then every 、 cuts, so
    // that the code still names the character.
    const bool balanced = quotesBalance(body);
    int quoteDepth = 0;
    std::size_t partStart = 0;
    for (std::size_t i = 0; i < body.size(); i += charLengthAt(body, i)) {
        const std::string_view ch = body.substr(i, charLengthAt(body, i));
        if (ch == kOpenQuote) {
            ++quoteDepth;
        } else if (ch == kCloseQuote && quoteDepth > 0) {
            --quoteDepth;
        } else if (ch == kComma && (quoteDepth == 0 || !balanced)) {
            visit(body.substr(partStart, i - partStart));
            partStart = i + ch.size();
        }
    }
    visit(body.substr(partStart));
}

struct Code {
    enum Kind { None, PageAndLine, JisX0213, CodePoint } kind = None;
    int plane = 0, row = 0, cell = 0;
    char32_t codePoint = 0;
};

// 1-85-54, 第3水準1-85-54, U+4E02, or a place in the source book (12-3, 1巻-143-上-7).
Code readCode(std::string_view part) {
    Code code;
    {
        Cursor c(part);
        if (c.take(kDai) && !(c.takeNumber() && c.take(kSuijun)))
            c = Cursor(part);
        const auto plane = c.takeNumber();
        if (plane && c.takeHyphen()) {
            const auto row = c.takeNumber();
            if (row && c.takeHyphen()) {
                const auto cell = c.takeNumber();
                if (cell && c.atEnd() && (*plane == 1 || *plane == 2)) {
                    code.kind = Code::JisX0213;
                    code.plane = *plane;
                    code.row = *row;
                    code.cell = *cell;
                    return code;
                }
            }
        }
    }
    {
        Cursor c(part);
        if (const auto cp = c.takeCodePoint(); cp && c.atEnd()) {
            code.kind = Code::CodePoint;
            code.codePoint = *cp;
            return code;
        }
    }
    bool digit = false, hyphen = false;
    for (std::size_t i = 0; i < part.size(); i += charLengthAt(part, i)) {
        const unsigned char b = byteAt(part, i);
        digit = digit || (b >= '0' && b <= '9');
        hyphen = hyphen || b == '-';
    }
    if (digit && hyphen)
        code.kind = Code::PageAndLine;
    return code;
}

// 「…」は…, 「…」に…, 「…」を…, 「…」から…: a note about the quoted text before it.
bool pointsAtText(std::string_view body) {
    if (!body.starts_with(kOpenQuote))
        return false;
    int quoteDepth = 0;
    for (std::size_t i = 0; i < body.size(); i += charLengthAt(body, i)) {
        const std::string_view ch = body.substr(i, charLengthAt(body, i));
        if (ch == kOpenQuote) {
            ++quoteDepth;
        } else if (ch == kCloseQuote && --quoteDepth == 0) {
            const std::string_view rest = body.substr(i + ch.size());
            for (std::string_view particle : kReferenceParticles)
                if (rest.starts_with(particle))
                    return true;
            return false;
        }
    }
    return false;
}

// [同行|窓](大|中|小)見出し, the heading's words after its prefix.
std::optional<NoteMeaning> heading(Cursor& c, NoteAction action) {
    NoteMeaning meaning{action, 0};
    meaning.runIn = c.take(kDogyo) || c.take(kMado);
    if (c.take(kLarge))
        meaning.heading = HeadingSize::Large;
    else if (c.take(kMedium))
        meaning.heading = HeadingSize::Medium;
    else if (c.take(kSmall))
        meaning.heading = HeadingSize::Small;
    else
        return std::nullopt;
    if (!c.take(kMidashi))
        return std::nullopt;
    if (c.atEnd())
        return meaning;
    if (action == NoteAction::OpenHeading && c.take(kOwari) && c.atEnd()) {
        meaning.action = NoteAction::CloseHeading;
        return meaning;
    }
    return std::nullopt;
}

// 「…」は中見出し, ［＃中見出し］…［＃中見出し終わり］, ［＃ここから中見出し］…［＃ここで中見出し終わり］ and
// the like for 大 and 小.
std::optional<NoteMeaning> headingNote(std::string_view body) {
    if (body.starts_with(kOpenQuote)) {
        // The quote's own close, then は: 「…「…」…」は中見出し.
        int depth = 0;
        for (std::size_t i = 0; i < body.size(); i += charLengthAt(body, i)) {
            const std::string_view ch = body.substr(i, charLengthAt(body, i));
            if (ch == kOpenQuote) {
                ++depth;
            } else if (ch == kCloseQuote && --depth == 0) {
                Cursor c(body.substr(i + ch.size()));
                if (!c.take(kWa))
                    return std::nullopt;
                const auto meaning = heading(c, NoteAction::Heading);
                return meaning && meaning->action == NoteAction::Heading ? meaning : std::nullopt;
            }
        }
        return std::nullopt;
    }
    Cursor c(body);
    if (c.take(kKokoKara)) {
        const auto meaning = heading(c, NoteAction::OpenHeading);
        return meaning && meaning->action == NoteAction::OpenHeading && !meaning->runIn
                   ? meaning
                   : std::nullopt;
    }
    if (c.take(kKokoDe)) {
        const auto meaning = heading(c, NoteAction::OpenHeading);
        return meaning && meaning->action == NoteAction::CloseHeading && !meaning->runIn
                   ? meaning
                   : std::nullopt;
    }
    return heading(c, NoteAction::OpenHeading);
}

} // namespace

NoteMeaning readNote(std::string_view body) {
    for (std::string_view pageBreak : kPageBreaks)
        if (body == pageBreak)
            return {NoteAction::PageBreak, 0};
    if (const auto n = lineIndent(body))
        return {NoteAction::LineIndent, *n};
    if (const auto block = blockIndent(body))
        return *block;
    if (endsBlockIndent(body))
        return {NoteAction::EndBlockIndent, 0};
    if (Cursor c(body); const auto n = raise(c))
        return {NoteAction::LineRaise, *n};
    if (Cursor c(body); c.take(kKokoKara)) {
        if (const auto n = raise(c))
            return {NoteAction::BlockRaise, *n};
    }
    if (endsBlockRaise(body))
        return {NoteAction::EndBlockRaise, 0};
    if (const auto note = headingNote(body))
        return *note;
    return {};
}

bool isGaijiNote(std::string_view body) {
    bool coded = false;
    forEachPart(body,
                [&](std::string_view part) { coded = coded || readCode(part).kind != Code::None; });
    if (coded)
        return true;
    // Without a code: a description of a character (「言＋墟のつくり」, もんがまえに真の正字…),
    // unless the note points at the text before it (「…」に傍点, 「…」は底本では…) or marks it up.
    if (pointsAtText(body) || readNote(body).action != NoteAction::None)
        return false;
    for (std::string_view ending : kMarkupEndings)
        if (endsWithWord(body, ending))
            return false;
    return true;
}

GaijiCharacter gaijiCharacter(std::string_view body) {
    // The first code that names a character code page 932 holds wins; failing that, the first
    // with a readable form.
    std::optional<GaijiCharacter> exact, form;
    forEachPart(body, [&](std::string_view part) {
        if (exact)
            return;
        const Code code = readCode(part);
        std::uint16_t found = 0;
        std::string_view readable;
        if (code.kind == Code::JisX0213) {
            found = cp932FromJisX0213(code.plane, code.row, code.cell);
            readable = readableFormOfJisX0213(code.plane, code.row, code.cell);
        } else if (code.kind == Code::CodePoint) {
            found = cp932FromCodePoint(code.codePoint);
            readable = readableForm(code.codePoint);
        }
        if (found != 0)
            exact =
                GaijiCharacter{GaijiCharacter::Exact,
                               {static_cast<char>(found >> 8), static_cast<char>(found & 0xFF)}};
        else if (!readable.empty() && !form)
            form = GaijiCharacter{GaijiCharacter::ReadableForm, std::string(readable)};
    });
    if (exact)
        return *exact;
    if (form)
        return *form;
    return {GaijiCharacter::Geta, std::string(engine::kGeta)};
}

} // namespace input::aozora

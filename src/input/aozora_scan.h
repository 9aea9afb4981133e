#pragma once
// Where the notation stands in a text: its symbols, its notes ［＃…］ line by line, the explanation
// block at the head, and which block notes get an end note of their own.

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace input::aozora {

// The symbols of the notation are all two bytes with lead byte 0x81; each is named by its trail.
constexpr unsigned char kSymbolLead = 0x81;
constexpr unsigned char kOpenBracket = 0x6D;   // ［
constexpr unsigned char kCloseBracket = 0x6E;  // ］
constexpr unsigned char kSharp = 0x94;         // ＃
constexpr unsigned char kKome = 0xA6;          // ※
constexpr unsigned char kRubyOpen = 0x73;      // 《
constexpr unsigned char kRubyClose = 0x74;     // 》
constexpr unsigned char kRubyBase = 0x62;      // ｜
constexpr unsigned char kTortoiseOpen = 0x6B;  // 〔
constexpr unsigned char kTortoiseClose = 0x6C; // 〕
constexpr std::size_t kSymbolSize = 2;

// The trail byte of the two-byte symbol that starts at i, or 0 when none does. Asked only at
// character starts, so a trail byte 0x81 followed by 0x6D never passes for ［.
unsigned char symbolAt(std::string_view line, std::size_t i);

struct Symbol {
    std::size_t at;
    unsigned char trail;
};

struct NoteSpan {
    std::size_t open;  // the ［ of ［＃
    std::size_t close; // its ］
    bool afterKome;    // ※ right before the ［
};

// The symbols and notes of one line (LF excluded), found in one walk over its characters.
class LineScan {
  public:
    void scan(std::string_view line);

    const std::vector<Symbol>& symbols() const { return m_symbols; }
    const std::vector<NoteSpan>& notes() const { return m_notes; } // by position of the ［
    std::string_view body(const NoteSpan& note) const;
    // ※ right before the note and a body that describes a character: the two stand for it.
    bool isGaiji(const NoteSpan& note) const;

    // The notes that are no gaiji and not inside another note, in order: the ones that act.
    template <typename Visit> void forEachActingNote(Visit visit) const {
        std::size_t passed = 0; // end of the last note visited
        for (const NoteSpan& note : m_notes) {
            if (note.open < passed)
                continue;
            passed = note.close + kSymbolSize;
            if (!isGaiji(note))
                visit(body(note));
        }
    }

  private:
    std::string_view m_line;
    std::vector<Symbol> m_symbols;
    std::vector<NoteSpan> m_notes;
    struct OpenBracket {
        std::size_t at;
        bool opensNote;
        bool afterKome;
    };
    std::vector<OpenBracket> m_openBrackets;
};

// Byte range of the explanation block at the head: a rule of hyphens opening within the first 60
// lines, a heading with 記号 or 表記 in it right after it, through the next rule, line breaks
// included. Empty when there is none or it is never closed (then nothing is dropped).
std::pair<std::size_t, std::size_t> explanationBlock(std::string_view text);

// For each block note of the text in order (ここから…字下げ in `indent`, ここから地付き and
// ここから地から…字上げ in `raise`), whether an end note closes it, matched like brackets: the last
// open block takes the next end. Texts often open a block over one that never gets an end of its
// own; that one ends where the next opens.
struct BlockEnds {
    std::vector<bool> indent;
    std::vector<bool> raise;
};
BlockEnds matchBlockEnds(std::string_view text, std::pair<std::size_t, std::size_t> skipped);

} // namespace input::aozora

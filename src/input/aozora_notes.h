#pragma once
// The notes ［＃…］ of Aozora Bunko's notation, read: what a note asks of the layout, and which
// character a gaiji note ※［＃…］ stands for. A body is the code page 932 bytes between ［＃ and ］.

#include <cstdint>
#include <string>
#include <string_view>

namespace input::aozora {

enum class NoteAction {
    None,       // a note that only describes the text (傍点, 見出し, 底本では…): dropped
    PageBreak,  // 改ページ, 改丁, 改見開き, 改段, 改頁
    LineIndent, // N字下げ, 天からN字下げ: the line it opens
    BlockIndent, // ここからN字下げ[、折り返してM字下げ], ここから改行天付き[、折り返してM字下げ] (0)
    EndBlockIndent, // ここで字下げ終わり
    LineRaise, // 地付き (0), 地からN字上げ, 地付き、地よりN字アキ (N): the line, or its rest
    BlockRaise,    // ここから地付き, ここから地からN字上げ
    EndBlockRaise, // ここで地付き終わり, ここで字上げ終わり
    // 「…」は大見出し (中見出し, 小見出し; a 同行… or 窓… one is set in with its text), then the
    // inline and block forms: 大見出し, ここから大見出し / 大見出し終わり, ここで大見出し終わり.
    Heading,
    OpenHeading,
    CloseHeading,
};

enum class HeadingSize { Large, Medium, Small };

struct NoteMeaning {
    NoteAction action = NoteAction::None;
    int amount = 0;      // cells, for the indents and raises
    int wrapAmount = -1; // >= 0: cells of a block indent's further columns (折り返してM字下げ)
    HeadingSize heading = HeadingSize::Large;
    bool runIn = false; // a 同行 or 窓 heading, set in with the text after it
};

NoteMeaning readNote(std::string_view body);

// Whether ※ followed by this note is a gaiji (a character the code page lacks, described by the
// note) rather than a ※ of the text followed by an ordinary note.
bool isGaijiNote(std::string_view body);

// What a gaiji note becomes: the character it names by plane-row-cell or code point where code page
// 932 holds it, else that character's readable form (ヷ as ワ゛), else 〓.
struct GaijiCharacter {
    enum Kind { Exact, ReadableForm, Geta } kind = Geta;
    std::string bytes; // code page 932
};
GaijiCharacter gaijiCharacter(std::string_view body);

} // namespace input::aozora

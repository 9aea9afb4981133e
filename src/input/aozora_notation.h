#pragma once
// Aozora Bunko's notation (ruby, notes in ［＃…］, gaiji, the explanation block at the head) taken
// out of a text, so that the pages show the text itself; what the notes ask of the layout (page
// breaks, indents, alignment to the foot of a column) is kept as line layouts for the engine.
// Headings get room: a 大見出し starts a page, a 中見出し gets an empty line (a blank column) before
// and after it and a 小見出し one before it, added to the text where it has none there already and
// never at the top of a page; a 同行 or 窓 heading, set in with its text, gets none.

#include "engine/input_stage.h"
#include "engine/line_layout.h"

#include <string>
#include <string_view>

namespace input {

// What becomes of a ruby reading 《…》: dropped with its marks, or kept after its base in
// full-width parentheses.
enum class Ruby { Drop, Parentheses };

struct AozoraText {
    std::string text;          // code page 932, LF line breaks
    engine::LineLayouts lines; // offsets into `text`
    engine::GaijiCounts gaiji; // how its gaiji notes were resolved
};

// `textAsRead`: code page 932 with LF line breaks (CRs already dropped). Every character that is
// not notation reaches the output: a ［＃ or 《 not closed on its line stays as written, and a gaiji
// becomes its character where code page 932 holds it, else its readable form, else 〓 (whose
// ruby reading is kept in （） even when readings are dropped). A line that held nothing but notes
// goes with its line break; what its notes asked of the layout passes to the next line that stays.
AozoraText RemoveAozoraNotation(std::string_view textAsRead, Ruby ruby);
// The same, written over the text's own bytes: a book is not held twice.
AozoraText RemoveAozoraNotation(std::string&& textAsRead, Ruby ruby);

} // namespace input

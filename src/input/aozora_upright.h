#pragma once
// 縦中横: two half-width characters set upright side by side in one cell. A body is the code page
// 932 bytes between ［＃ and ］.

#include <string>
#include <string_view>

namespace input::aozora {

struct UprightNote {
    enum Kind {
        None,
        Open,  // 縦中横
        Close, // 縦中横終わり
        Named, // 「…」は縦中横: the text right before the note
    } kind = None;
    std::string_view named; // for Named, the quoted text
};
UprightNote uprightNote(std::string_view body);

// The pair cell for `chars` when they are exactly two characters with a half-width form (printable
// ASCII, or the full-width digits, letters, ！ and ？), else empty.
std::string uprightPair(std::string_view chars);

} // namespace input::aozora

#pragma once

#include "engine/settings.h"

#include <QString>

#include <string>
#include <string_view>

namespace shell {

// Shift_JIS (code page 932) bytes as text for the user. A double-byte character cut off at the
// end of the bytes shows nothing.
QString FromShiftJis(std::string_view sjis);

// The text of a source's first bytes, for the preview, read as the conversion reads it: in
// `encoding` (Auto finds it out), CRs dropped and cut at a 0x1A. A Shift_JIS source shows at most
// `limit` bytes of it (a character across the limit gives its first byte); another encoding, the
// whole characters that take at most `limit` bytes of Shift_JIS. `cut`: the file goes on after
// these bytes, so the last character may be incomplete.
struct Preview {
    QString text;
    bool cut = false;           // more text follows what is shown
    std::size_t characters = 0; // shown, when the source is not Shift_JIS; else 0
};
Preview PreviewText(std::string_view head, bool cut, engine::Encoding encoding, std::size_t limit);

// Paths cross between Qt and the engine as the file system's own bytes.
QString PathFromBytes(const std::string& bytes);
std::string PathToBytes(const QString& path);

// A source as the user sees it: its path, or for a member of a zip "path/book.zip › member.txt".
QString EntryText(const std::string& path);

} // namespace shell

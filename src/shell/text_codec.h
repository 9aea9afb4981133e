#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace shell {

// Shift_JIS (code page 932) bytes as text for the user. A double-byte character cut off at the
// end of the bytes shows nothing.
QString FromShiftJis(std::string_view sjis);

// The text of a source's first bytes, for the preview: in the encoding `encodingSetting` names
// ("auto" finds it out as the conversion would), CRs dropped and cut at a 0x1A, as the conversion
// reads it, at most `limit` bytes of it (a Shift_JIS character may be cut after its first byte)
// or `limit` characters of another encoding. `cut`: the file goes on after these bytes, so the
// last character may be incomplete.
struct Preview {
    QString text;
    bool cut = false; // more text follows what is shown
};
Preview PreviewText(std::string_view head, bool cut, const std::string& encodingSetting,
                    std::size_t limit);

// Paths cross between Qt and the engine as the file system's own bytes.
QString PathFromBytes(const std::string& bytes);
std::string PathToBytes(const QString& path);

} // namespace shell

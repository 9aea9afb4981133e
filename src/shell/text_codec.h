#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace shell {

// Shift_JIS (code page 932) bytes as text for the user. A double-byte character cut off at the
// end of the bytes shows nothing.
QString FromShiftJis(std::string_view sjis);

// Paths cross between Qt and the engine as the file system's own bytes.
QString PathFromBytes(const std::string& bytes);
std::string PathToBytes(const QString& path);

} // namespace shell

#pragma once
// Windows only: paths are UTF-8 inside the program and UTF-16 for the system; errors come in the
// system's words.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace files {

// The UTF-16 form of a UTF-8 path; nullopt when the bytes are not UTF-8 (no file can have such a
// name on Windows).
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);

// UTF-16 from the system as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

// The system's message for a Win32 error code, in UTF-8, without the trailing line end.
std::string SystemErrorText(DWORD error);

} // namespace files

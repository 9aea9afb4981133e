#pragma once

#include "platform/environment.h"
#include "platform/infocarry_home.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

namespace platform {

// Looks up one value in the text of a Wine registry file (user.reg). `keyName` and `valueName`
// are given as the registry spells them, without the file's escapes
// ("Software\\Sony Corporation\\..." in C++ notation); both compare without regard to ASCII
// case. A string value ("...", str(2):"...", or the same types stored as hex(1): / hex(2):
// bytes) comes back decoded to UTF-8 and cut at its first NUL. Lines the file format does not
// allow are skipped; when the value occurs more than once, the last one counts.
RegistryString FindWineRegistryString(std::string_view regText, std::string_view keyName,
                                      std::string_view valueName);

// The Wine prefix in use: WINEPREFIX when set (and absolute), else <HOME>/.wine.
std::optional<std::filesystem::path> WinePrefixFromEnv(const EnvLookup& env);

// A Windows drive path ("C:\\Users\\me") as a path of this system, through the drive's entry
// in <winePrefix>/dosdevices. Names that do not exist with the spelling given are matched
// against the folder's entries without regard to ASCII case, as Windows would. nullopt when the
// path does not start with a drive letter or the drive has no entry.
std::optional<std::filesystem::path> HostPathFromWinePath(const std::filesystem::path& winePrefix,
                                                          std::string_view windowsPath);

// The largest user.reg read. A real one holds a few megabytes at most.
inline constexpr std::size_t kMaxUserRegBytes = 64 * 1024 * 1024;

// ReadInfoCarryHome for one Wine prefix: "HomePath" from <winePrefix>/user.reg, mapped with
// HostPathFromWinePath. A missing file, key or value, or an unmapped drive, gives Absent; so do
// a user.reg that is no regular file (never waited on), one larger than kMaxUserRegBytes and a
// lack of memory.
RegistryString ReadInfoCarryHomeFromWine(const std::filesystem::path& winePrefix);

} // namespace platform

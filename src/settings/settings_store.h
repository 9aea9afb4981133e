#pragma once
// The settings file "pglm201.cfg": loading the nine keys of its section "setting" into a Settings
// record, and saving them.

#include "files/atomic_file.h"
#include "platform/paths.h"
#include "settings.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace settings {

using files::WriteStatus;

// The settings file's name, section and the limit of savepath.
inline constexpr const char* kSettingsFileName = platform::kSettingsFileName;
inline constexpr const char* kSettingsSection = "setting";
inline constexpr const char* kPagelumeSection = "pagelume";
inline constexpr std::size_t kMaxSavePathBytes = 259;

// What loading a settings file found. Missing file, section or keys give the defaults.
struct SettingsFileLoad {
    enum class Outcome { Read, Missing, Unreadable };
    Outcome outcome = Outcome::Missing;
    Settings settings;  // the defaults unless Read
    std::string reason; // when Unreadable: the system's words
};

// Reads the nine keys of section "setting" in their table order and brings each into range: a
// choice below 0 becomes -1 (no choice), one at or above the number of choices the last choice;
// divisionsize is cut to 16 bits as a signed number, then held within 1 to 5000; a boolean is on
// for any non-zero value; savepath is cut to kMaxSavePathBytes without splitting a UTF-8
// character.
SettingsFileLoad LoadSettingsFile(const std::string& path);

// The same, with the defaults for a file that is missing or cannot be read.
Settings LoadSettings(const std::string& path);

// The settings a file of these bytes holds, brought into range as loading does.
Settings SettingsFromIniBytes(std::string_view bytes);

// Besides, from section "pagelume": "encoding" (auto, sjis, utf-8 or euc-jp; anything else reads
// as auto), "aozora" (0 or 1) and "ruby" (drop or paren).

// Writes the nine keys into section "setting" and the others into section "pagelume", keeping
// every other section and key. The file is
// replaced as a whole or not at all; a failure says why.
WriteStatus SaveSettings(const Settings& settings, const std::string& path);

} // namespace settings

#pragma once
// The settings file "pglm201.cfg": loading the nine keys of its section "setting" into a Settings
// record, and saving them.

#include "engine/settings.h"
#include "files/atomic_file.h"
#include "platform/paths.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace settings {

using engine::Settings;
using files::WriteStatus;

// The settings file's name and sections.
inline constexpr const char* kSettingsFileName = platform::kSettingsFileName;
inline constexpr const char* kSettingsSection = "setting";
inline constexpr const char* kPagelumeSection = "pagelume";

// The largest settings file read: the keys take a few hundred bytes, so anything near this is
// not one, and is neither read nor replaced.
inline constexpr std::int64_t kMaxSettingsFileBytes = 1024 * 1024;

// What loading a settings file found. Missing file, section or keys give the defaults.
struct SettingsFileLoad {
    enum class Outcome { Read, Missing, Unreadable };
    Outcome outcome = Outcome::Missing;
    Settings settings;  // the defaults unless Read
    std::string reason; // when Unreadable: the system's words, or that it is no regular file, is
                        // larger than kMaxSettingsFileBytes or needs more memory than there is
    int code = 0;       // when Unreadable: the error's number, as engine::FileError::code
};

// Reads the nine keys of section "setting" in their table order and brings each into range: a
// choice below 0 becomes -1 (no choice), one at or above the number of choices the last choice;
// divisionsize is cut to 16 bits as a signed number, then held within 1 to 5000; a boolean is on
// for any non-zero value; savepath is cut to kMaxSavePathBytes without splitting a UTF-8
// character.
SettingsFileLoad LoadSettings(const std::string& path);

// The settings a file of these bytes holds, brought into range as loading does.
Settings SettingsFromIniBytes(std::string_view bytes);

// Besides, from section "pagelume": "encoding" (one of kEncodingChoices; anything else reads as
// auto), "ruby" (drop or paren) and the switches "aozora", "kinsoku", "tcydigits" and
// "savewithoutasking" (on for a whole number other than 0).

// Writes the nine keys into section "setting" and the others into section "pagelume", keeping
// every other section and key. The file is replaced as a whole or not at all; a failure says why.
// A file that could not be read whole, as LoadSettings reads it, is never replaced.
WriteStatus SaveSettings(const Settings& settings, const std::string& path);

// Writes the output folder alone, as chosen outside the settings dialog; everything else stays as
// it stands on disk. All or nothing, as SaveSettings.
WriteStatus SaveSavePath(const std::string& savepath, const std::string& path);

// Keys the program keeps for itself in section "pagelume" beside the settings (the window's place,
// the open dialog's folder), as key and value bytes.
using PagelumeKeys = std::vector<std::pair<std::string, std::string>>;

// The values of `keys` in section "pagelume", in that order; a key missing from the file, or a
// file that cannot be read, gives an empty value.
PagelumeKeys LoadPagelumeKeys(const std::string& path, const std::vector<std::string>& keys);

// Writes these keys into section "pagelume" and nothing else: every other key, the settings
// among them, stays as it stands on disk. All or nothing, as SaveSettings.
WriteStatus SavePagelumeKeys(const PagelumeKeys& keys, const std::string& path);

} // namespace settings

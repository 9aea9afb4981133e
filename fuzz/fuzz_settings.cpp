// The settings loader on arbitrary file contents: whatever the file holds, the settings that come
// out are in range, and saving them and loading again gives the same settings.
#include "fuzz_check.h"
#include "settings/ini_file.h"
#include "settings/settings_store.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const engine::Settings s = settings::SettingsFromIniBytes(bytes);
    FUZZ_CHECK(s.gyokan >= -1 && s.gyokan <= 4);
    FUZZ_CHECK(s.charsize >= -1 && s.charsize <= 1);
    FUZZ_CHECK(s.spaceline >= -1 && s.spaceline <= 2);
    FUZZ_CHECK(s.divisionsize >= 1 && s.divisionsize <= 5000);
    FUZZ_CHECK(s.savepath.size() <= engine::kMaxSavePathBytes);

    // Writing the nine keys into the same document and reading them back.
    settings::IniDocument document(bytes);
    const std::pair<const char*, std::string> entries[] = {
        {"gyokan", std::to_string(s.gyokan)},
        {"charsize", std::to_string(s.charsize)},
        {"spaceline", std::to_string(s.spaceline)},
        {"usereturn", s.usereturn ? "1" : "0"},
        {"useheader", s.useheader ? "1" : "0"},
        {"useheadertofile", s.useheadertofile ? "1" : "0"},
        {"usedivision", s.usedivision ? "1" : "0"},
        {"divisionsize", std::to_string(s.divisionsize)},
        {"savepath", s.savepath}};
    for (const auto& [key, value] : entries) {
        if (!document.setValue(settings::kSettingsSection, key, value).ok)
            return 0; // a value the file format cannot hold (a line break) is refused, not written
    }
    const engine::Settings again = settings::SettingsFromIniBytes(document.toBytes());
    FUZZ_CHECK(again.gyokan == s.gyokan && again.charsize == s.charsize &&
               again.spaceline == s.spaceline);
    FUZZ_CHECK(again.usereturn == s.usereturn && again.useheader == s.useheader);
    FUZZ_CHECK(again.useheadertofile == s.useheadertofile && again.usedivision == s.usedivision);
    FUZZ_CHECK(again.divisionsize == s.divisionsize);
    return 0;
}

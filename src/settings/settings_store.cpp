#include "settings_store.h"

#include "files/file_bytes.h"
#include "files/system_fault.h"

#include "ini_file.h"
#include "utf8_prefix.h"

#include <cstdint>
#include <string>
#include <utility>

namespace settings {
namespace {

int IntOrDefault(const IniDocument& document, std::string_view key, int defaultValue) {
    const auto value = document.value(kSettingsSection, key);
    if (!value || value->empty())
        return defaultValue;
    return ProfileIntFromValue(*value);
}

// A stored choice below its range is no choice; one above it, the last choice.
int ChoiceInRange(int value, engine::SettingRange range) {
    return value < range.low ? engine::kNoChoice : range.clamp(value);
}

// The count was always kept in a 16-bit signed field, so a stored 70000 is 4464 and a stored
// 65536 is 0 before the limits apply.
int DivisionSizeInRange(int value) {
    return engine::kDivisionSizeRange.clamp(static_cast<std::int16_t>(value));
}

// A switch of the program's own section: on for a whole number other than 0.
bool flagIn(const IniDocument& document, std::string_view key) {
    const auto value = document.value(kPagelumeSection, key);
    return value && !value->empty() && ProfileIntFromValue(*value) != 0;
}

Settings SettingsFromDocument(const IniDocument& document) {
    const Settings defaults;
    Settings s;
    s.gyokan =
        ChoiceInRange(IntOrDefault(document, "gyokan", defaults.gyokan), engine::kGyokanRange);
    s.charsize = ChoiceInRange(IntOrDefault(document, "charsize", defaults.charsize),
                               engine::kCharsizeRange);
    s.spaceline = ChoiceInRange(IntOrDefault(document, "spaceline", defaults.spaceline),
                                engine::kSpacelineRange);
    s.usereturn = IntOrDefault(document, "usereturn", 0) != 0;
    s.useheader = IntOrDefault(document, "useheader", 0) != 0;
    s.useheadertofile = IntOrDefault(document, "useheadertofile", 0) != 0;
    s.usedivision = IntOrDefault(document, "usedivision", 0) != 0;
    s.divisionsize =
        DivisionSizeInRange(IntOrDefault(document, "divisionsize", defaults.divisionsize));
    const auto savepath = document.value(kSettingsSection, "savepath");
    s.savepath = std::string(Utf8PrefixWithin(savepath.value_or(""), engine::kMaxSavePathBytes));

    s.encoding = engine::EncodingFromName(document.value(kPagelumeSection, "encoding").value_or(""))
                     .value_or(engine::Encoding::Auto);
    s.aozora = flagIn(document, "aozora");
    s.rubyInParentheses = document.value(kPagelumeSection, "ruby").value_or("") == "paren";
    s.kinsoku = flagIn(document, "kinsoku");
    s.tcyDigits = flagIn(document, "tcydigits");
    s.saveWithoutAsking = flagIn(document, "savewithoutasking");
    return s;
}

// The settings file as it stands, if it can be read whole: only a regular file, and at most
// kMaxSettingsFileBytes of it. When it cannot be, `reason` says why, a file too large included.
files::FileBytes ReadSettingsFile(const std::string& path) {
    files::FileBytes file = files::ReadWholeRegularFile(path, kMaxSettingsFileBytes);
    if (file.outcome == files::FileBytes::Outcome::TooLarge) {
        file.reason = "larger than " + std::to_string(kMaxSettingsFileBytes) + " bytes";
        file.code = files::kTooLargeCode;
    }
    return file;
}

} // namespace

Settings SettingsFromIniBytes(std::string_view bytes) {
    return SettingsFromDocument(IniDocument(bytes));
}

SettingsFileLoad LoadSettings(const std::string& path) {
    SettingsFileLoad load;
    const files::FileBytes file = ReadSettingsFile(path);
    switch (file.outcome) {
    case files::FileBytes::Outcome::Read:
        load.outcome = SettingsFileLoad::Outcome::Read;
        load.settings = SettingsFromDocument(IniDocument(file.bytes));
        break;
    case files::FileBytes::Outcome::Missing:
        load.outcome = SettingsFileLoad::Outcome::Missing;
        break;
    case files::FileBytes::Outcome::Unreadable:
    case files::FileBytes::Outcome::TooLarge:
        load.outcome = SettingsFileLoad::Outcome::Unreadable;
        load.reason = file.reason;
        load.code = file.code;
        break;
    }
    return load;
}

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Sets `entries` in their sections of the file as it stands on disk and replaces the file with
// the result, every other key kept. All the keys go into one new file, so a failure leaves the
// old file whole rather than some keys old and some new.
WriteStatus UpdateFile(const std::string& path,
                       const std::vector<std::pair<const char*, Entries>>& sections) {
    // Never replace a file whose other sections could not be read (unreadable, too large, no
    // regular file): they would be lost.
    const files::FileBytes file = ReadSettingsFile(path);
    if (file.outcome != files::FileBytes::Outcome::Read &&
        file.outcome != files::FileBytes::Outcome::Missing)
        return WriteStatus::Failure(file.reason, file.code);
    IniDocument document(file.bytes);
    for (const auto& [section, entries] : sections) {
        for (const auto& [key, value] : entries) {
            if (WriteStatus status = document.setValue(section, key, value); !status.ok)
                return status;
        }
    }
    return files::ReplaceFileContents(path, document.toBytes());
}

} // namespace

PagelumeKeys LoadPagelumeKeys(const std::string& path, const std::vector<std::string>& keys) {
    const files::FileBytes file = ReadSettingsFile(path);
    const IniDocument document(file.outcome == files::FileBytes::Outcome::Read ? file.bytes
                                                                               : std::string());
    PagelumeKeys values;
    for (const std::string& key : keys)
        values.emplace_back(key, document.value(kPagelumeSection, key).value_or(""));
    return values;
}

WriteStatus SavePagelumeKeys(const PagelumeKeys& keys, const std::string& path) {
    return UpdateFile(path, {{kPagelumeSection, keys}});
}

WriteStatus SaveSavePath(const std::string& savepath, const std::string& path) {
    return UpdateFile(path, {{kSettingsSection, {{"savepath", savepath}}}});
}

WriteStatus SaveSettings(const Settings& settings, const std::string& path) {
    const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    return UpdateFile(
        path, {{kSettingsSection,
                {
                    {"gyokan", std::to_string(settings.gyokan)},
                    {"charsize", std::to_string(settings.charsize)},
                    {"spaceline", std::to_string(settings.spaceline)},
                    {"usereturn", flag(settings.usereturn)},
                    {"useheader", flag(settings.useheader)},
                    {"useheadertofile", flag(settings.useheadertofile)},
                    {"usedivision", flag(settings.usedivision)},
                    {"divisionsize", std::to_string(settings.divisionsize)},
                    {"savepath", settings.savepath},
                }},
               {kPagelumeSection,
                {
                    {"encoding", std::string(engine::EncodingChoiceName(settings.encoding))},
                    {"aozora", flag(settings.aozora)},
                    {"ruby", settings.rubyInParentheses ? "paren" : "drop"},
                    {"kinsoku", flag(settings.kinsoku)},
                    {"tcydigits", flag(settings.tcyDigits)},
                    {"savewithoutasking", flag(settings.saveWithoutAsking)},
                }}});
}

} // namespace settings

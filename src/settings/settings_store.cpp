#include "settings_store.h"

#include "files/file_bytes.h"

#include "ini_file.h"
#include "utf8_prefix.h"

#include <cstdint>
#include <utility>

namespace settings {
namespace {

int IntOrDefault(const IniDocument& document, std::string_view key, int defaultValue) {
    const auto value = document.value(kSettingsSection, key);
    if (!value || value->empty())
        return defaultValue;
    return ProfileIntFromValue(*value);
}

int ChoiceInRange(int value, int choiceCount) {
    if (value < 0)
        return -1;
    return value >= choiceCount ? choiceCount - 1 : value;
}

// The count was always kept in a 16-bit signed field, so a stored 70000 is 4464 and a stored
// 65536 is 0 before the limits apply.
int DivisionSizeInRange(int value) {
    const int asInt16 = static_cast<std::int16_t>(value);
    if (asInt16 < 1)
        return 1;
    return asInt16 > kMaxDivisionSize ? kMaxDivisionSize : asInt16;
}

Settings SettingsFromDocument(const IniDocument& document) {
    const Settings defaults;
    Settings s;
    s.gyokan = ChoiceInRange(IntOrDefault(document, "gyokan", defaults.gyokan), 5);
    s.charsize = ChoiceInRange(IntOrDefault(document, "charsize", defaults.charsize), 2);
    s.spaceline = ChoiceInRange(IntOrDefault(document, "spaceline", defaults.spaceline), 3);
    s.usereturn = IntOrDefault(document, "usereturn", 0) != 0;
    s.useheader = IntOrDefault(document, "useheader", 0) != 0;
    s.useheadertofile = IntOrDefault(document, "useheadertofile", 0) != 0;
    s.usedivision = IntOrDefault(document, "usedivision", 0) != 0;
    s.divisionsize =
        DivisionSizeInRange(IntOrDefault(document, "divisionsize", defaults.divisionsize));
    const auto savepath = document.value(kSettingsSection, "savepath");
    s.savepath = std::string(Utf8PrefixWithin(savepath.value_or(""), kMaxSavePathBytes));

    const std::string_view encoding = document.value(kPagelumeSection, "encoding").value_or("");
    if (encoding == "sjis" || encoding == "utf-8" || encoding == "euc-jp")
        s.encoding = std::string(encoding);
    const auto aozora = document.value(kPagelumeSection, "aozora");
    s.aozora = aozora && !aozora->empty() && ProfileIntFromValue(*aozora) != 0;
    s.rubyInParentheses = document.value(kPagelumeSection, "ruby").value_or("") == "paren";
    return s;
}

} // namespace

Settings SettingsFromIniBytes(std::string_view bytes) {
    return SettingsFromDocument(IniDocument(bytes));
}

SettingsFileLoad LoadSettingsFile(const std::string& path) {
    SettingsFileLoad load;
    files::FileBytes file = files::ReadWholeFile(path);
    switch (file.outcome) {
    case files::FileBytes::Outcome::Read:
        load.outcome = SettingsFileLoad::Outcome::Read;
        load.settings = SettingsFromDocument(IniDocument(file.bytes));
        break;
    case files::FileBytes::Outcome::Missing:
        load.outcome = SettingsFileLoad::Outcome::Missing;
        break;
    case files::FileBytes::Outcome::Unreadable:
    case files::FileBytes::Outcome::TooLarge: // no limit is asked for
        load.outcome = SettingsFileLoad::Outcome::Unreadable;
        load.reason = std::move(file.reason);
        break;
    }
    return load;
}

Settings LoadSettings(const std::string& path) {
    return LoadSettingsFile(path).settings;
}

WriteStatus SaveSettings(const Settings& settings, const std::string& path) {
    // Never replace a file whose other sections could not be read: they would be lost.
    const files::FileBytes file = files::ReadWholeFile(path);
    if (file.outcome == files::FileBytes::Outcome::Unreadable)
        return WriteStatus::Failure(file.reason);
    IniDocument document(file.bytes);

    const auto flag = [](bool on) { return on ? "1" : "0"; };
    const std::pair<const char*, std::string> entries[] = {
        {"gyokan", std::to_string(settings.gyokan)},
        {"charsize", std::to_string(settings.charsize)},
        {"spaceline", std::to_string(settings.spaceline)},
        {"usereturn", flag(settings.usereturn)},
        {"useheader", flag(settings.useheader)},
        {"useheadertofile", flag(settings.useheadertofile)},
        {"usedivision", flag(settings.usedivision)},
        {"divisionsize", std::to_string(settings.divisionsize)},
        {"savepath", settings.savepath},
    };
    // All nine keys go into one new file, so a failure leaves the old file whole rather than
    // some keys old and some new.
    for (const auto& [key, value] : entries) {
        if (WriteStatus status = document.setValue(kSettingsSection, key, value); !status.ok)
            return status;
    }
    const std::pair<const char*, std::string> ours[] = {
        {"encoding", settings.encoding},
        {"aozora", flag(settings.aozora)},
        {"ruby", settings.rubyInParentheses ? "paren" : "drop"},
    };
    for (const auto& [key, value] : ours) {
        if (WriteStatus status = document.setValue(kPagelumeSection, key, value); !status.ok)
            return status;
    }
    return files::ReplaceFileContents(path, document.toBytes());
}

} // namespace settings

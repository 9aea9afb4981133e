#include "platform/environment.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {
namespace {

std::optional<std::filesystem::path> wideVariable(const char* name) {
    const std::wstring wideName(name, name + std::strlen(name)); // names are ASCII
    if (const wchar_t* value = _wgetenv(wideName.c_str()))
        return std::filesystem::path(value);
    return std::nullopt;
}

} // namespace

EnvLookup ProcessEnvironment() {
    return [](const char* name) -> std::optional<std::filesystem::path> {
        if (auto value = wideVariable(name))
            return value;
        // The roaming application-data folder is Windows' counterpart of XDG_CONFIG_HOME.
        if (std::strcmp(name, "XDG_CONFIG_HOME") == 0)
            return wideVariable("APPDATA");
        return std::nullopt;
    };
}

} // namespace platform

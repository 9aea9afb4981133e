#pragma once

#include <string>

namespace platform {

// The infoCarry Manager keeps its home folder under this key of HKEY_CURRENT_USER.
inline constexpr const char* kInfoCarryManagerKey =
    "Software\\Sony Corporation\\infoCarry\\infoCarry Manager";
inline constexpr const char* kHomePathValueName = "HomePath";

enum class RegistryStringStatus {
    Found,     // the value is a string (plain or expandable), in `value`
    Absent,    // no key, no value, or nothing to read it from
    NotAString // the value exists with another type (a number, binary data, a string list)
};

struct RegistryString {
    RegistryStringStatus status = RegistryStringStatus::Absent;
    std::string value; // empty unless Found

    bool operator==(const RegistryString&) const = default;
};

// The infoCarry Manager's "HomePath", for `InfoCarryHome`: on Windows the registry value in
// UTF-8, as the program's paths are there; elsewhere the value from the Wine prefix's registry,
// turned into a path of this system (UTF-8). Expandable strings are taken as they are, nothing is
// expanded. On a value of another type the caller says so and goes on with an empty home.
RegistryString ReadInfoCarryHome();

} // namespace platform

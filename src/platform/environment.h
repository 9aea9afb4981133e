#pragma once

#include <filesystem>
#include <functional>
#include <optional>

namespace platform {

// Looks up one environment variable as a path; nullopt when it is not set. Passed in rather than
// read from the process so that the path decisions can be tested with made-up environments.
using EnvLookup = std::function<std::optional<std::filesystem::path>(const char* name)>;

// The process's own environment. Where HOME is unset on POSIX, the user's home folder from the
// password database answers for it.
EnvLookup ProcessEnvironment();

} // namespace platform

#include "platform/environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {
namespace {

std::optional<std::filesystem::path> homeFromPasswordDatabase() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || !*found->pw_dir)
        return std::nullopt;
    return std::filesystem::path(found->pw_dir);
}

} // namespace

EnvLookup ProcessEnvironment() {
    return [](const char* name) -> std::optional<std::filesystem::path> {
        if (const char* value = std::getenv(name))
            return std::filesystem::path(value);
        if (std::strcmp(name, "HOME") == 0)
            return homeFromPasswordDatabase();
        return std::nullopt;
    };
}

} // namespace platform

#include "platform/paths.h"

#include <unistd.h>

#include <system_error>

namespace platform {

std::filesystem::path ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return program.parent_path();
}

bool IsWritableFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return false;
    // access() also answers "no" for a read-only mount, which the mode bits would not show.
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace platform

#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The bytes of the regular file at `path`, when it holds at most `maxBytes`. nullopt for a
// missing or unreadable file, a larger one, or anything else at the path (a folder, a FIFO, a
// device), which is neither waited on nor read. Throws std::bad_alloc when memory runs out.
std::optional<std::string> ReadSmallRegularFile(const std::filesystem::path& path,
                                                std::size_t maxBytes);

} // namespace platform

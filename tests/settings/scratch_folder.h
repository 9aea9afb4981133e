#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include <unistd.h>

// A fresh, empty folder under the system's temporary folder, removed with everything in it when
// the test ends.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("pagelume-settings-" + std::to_string(::getpid()) + "-" +
                  std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(std::string_view name) const { return (m_path / name).string(); }

    // How many entries the folder holds: a failed or finished write leaves no temporary behind.
    std::size_t entryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_path),
                                                      std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Permissions mean nothing to root; a test of a refused write first checks they hold here.
inline bool PermissionsAreEnforced(const std::filesystem::path& readOnlyFolder) {
    const auto probe = readOnlyFolder / "probe";
    std::ofstream out(probe);
    if (out) {
        out.close();
        std::filesystem::remove(probe);
        return false;
    }
    return true;
}

#pragma once
// A fresh folder per test, under PAGELUME_TEST_TMP when CTest sets it, removed with everything in
// it afterwards; and small file helpers.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace testing_support {

// Paths in the program are UTF-8 strings; std::filesystem takes a std::string in the system's
// narrow encoding, which on Windows is not UTF-8.
inline std::filesystem::path utf8Path(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class TempDir {
  public:
    TempDir() {
        const char* base = std::getenv("PAGELUME_TEST_TMP");
        const std::filesystem::path root =
            base && *base ? std::filesystem::path(base) : std::filesystem::temp_directory_path();
        std::random_device random;
        m_path = root / ("pagelume-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(std::string_view name) const { return utf8Of(m_path / utf8Path(name)); }

    // Writes `bytes` to `relative` under the folder, creating the folders on the way.
    std::filesystem::path write(const std::filesystem::path& relative,
                                std::string_view bytes) const {
        const std::filesystem::path file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

    // How many entries the folder holds: a failed or finished write leaves no temporary behind.
    std::size_t entryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_path),
                                                      std::filesystem::directory_iterator()));
    }

  private:
    std::filesystem::path m_path;
};

inline void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(utf8Path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(utf8Path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool exists(const std::string& path) {
    return std::filesystem::exists(utf8Path(path));
}

// Permissions mean nothing to root; a test of a refused write first checks they hold here.
inline bool permissionsAreEnforced(const std::filesystem::path& readOnlyFolder) {
    const auto probe = readOnlyFolder / "probe";
    std::ofstream out(probe);
    if (out) {
        out.close();
        std::filesystem::remove(probe);
        return false;
    }
    return true;
}

} // namespace testing_support

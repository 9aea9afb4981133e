#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// A fresh folder per test, under PAGELUME_TEST_TMP when CTest sets it, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        const char* base = std::getenv("PAGELUME_TEST_TMP");
        const std::filesystem::path root =
            base && *base ? std::filesystem::path(base) : std::filesystem::temp_directory_path();
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        m_path = root / ("platform-" + std::string(test->test_suite_name()) + "-" + test->name() +
                         "-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Writes `bytes` to `relative` under the folder, creating the folders on the way.
    std::filesystem::path write(const std::filesystem::path& relative,
                                std::string_view bytes) const {
        const std::filesystem::path file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

  private:
    std::filesystem::path m_path;
};

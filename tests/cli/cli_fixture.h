#pragma once
// A working folder per test and the bytes the tests feed to pagelume-convert and expect back.

#include "cli/convert_command.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace cli_test {

namespace fs = std::filesystem;

struct CommandResult {
    int status;
    std::string out;
    std::string err;
};

class ConvertCommandTest : public ::testing::Test {
  protected:
    CommandResult run(const std::vector<std::string>& args, const std::string& input = {}) {
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        const int status = cli::RunConvertCommand(args, in, out, err, m_folder.string());
        return {status, out.str(), err.str()};
    }

    std::string path(const std::string& name) const {
        return testing_support::utf8Of(m_folder / testing_support::utf8Path(name));
    }

    void write(const std::string& name, const std::string& bytes) const {
        const fs::path file = testing_support::utf8Path(path(name));
        fs::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::string read(const std::string& name) const {
        std::ifstream file(testing_support::utf8Path(path(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    bool exists(const std::string& name) const {
        return fs::exists(testing_support::utf8Path(path(name)));
    }

    // Every file and folder under the working folder, relative and sorted.
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(m_folder)) {
            const std::u8string name = fs::relative(entry.path(), m_folder).generic_u8string();
            names.emplace_back(name.begin(), name.end());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    testing_support::TempDir m_dir;
    const fs::path& m_folder = m_dir.path();
};

// Shift_JIS hiragana ぁ (0x82 0x9F) to ん (0x82 0xF1), repeated: one cell each, none of them a
// character the layout rewrites, so cell k of a text is kanaCell(k).
inline std::string kanaCell(int k) {
    return std::string{'\x82', static_cast<char>(0x9F + k % 83)};
}

inline std::string kanaText(int cells) {
    std::string text;
    for (int k = 0; k < cells; ++k)
        text += kanaCell(k);
    return text;
}

// A row line as written: the cells left-filled with spaces to 40 bytes, then CR LF.
inline std::string rowLine(const std::string& cells) {
    return std::string(40 - cells.size(), ' ') + cells + "\r\n";
}

// The cells of one row with a one-byte blank column after each text column (the default):
// `columns` holds the row's cell of text column 1 (rightmost), 2, ...; "" where a column has none.
inline std::string oneByteBlankRow(const std::vector<std::string>& columns) {
    std::string row = " ";
    for (int c = 0; c < 13; ++c)
        row = " " + (c < static_cast<int>(columns.size()) ? columns[c] : std::string()) + row;
    return rowLine(row);
}

// The same with two-byte blank columns (10 text columns).
inline std::string twoByteBlankRow(const std::vector<std::string>& columns) {
    std::string row;
    for (int c = 0; c < 10; ++c)
        row =
            "\x81\x40" + (c < static_cast<int>(columns.size()) ? columns[c] : std::string()) + row;
    return rowLine(row);
}

// Without blank columns (20 text columns).
inline std::string packedRow(const std::vector<std::string>& columns) {
    std::string row;
    for (const std::string& cell : columns)
        row = cell + row;
    return rowLine(row);
}

// Row `row` of the first page of kanaText: text column c holds cells from c × rows on.
inline std::vector<std::string> kanaColumnsOfRow(int row, int rows, int columns) {
    std::vector<std::string> cells;
    for (int c = 0; c < columns; ++c)
        cells.push_back(kanaCell(c * rows + row));
    return cells;
}

inline std::size_t outputSize(int pages, int rows) {
    return static_cast<std::size_t>(pages) * (2 + 42 * static_cast<std::size_t>(rows)) + 2;
}

inline const char* kTryHelp = "Try 'pagelume-convert --help' for more information.\n";

} // namespace cli_test

#include "standard_input_copy.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

namespace cli {

std::optional<StandardInputCopy> StandardInputCopy::make(std::istream& in, std::string& error) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) {
        error = ec.message();
        return std::nullopt;
    }
    std::random_device random;
    std::FILE* file = nullptr;
    std::string path;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        path = (folder / ("pagelume-stdin-" + std::to_string(random()) + ".txt")).string();
        // "x": never take over a file that happens to have the same name.
        file = std::fopen(path.c_str(), "wbx");
        if (!file && errno != EEXIST) {
            error = "cannot create a temporary file in '" + folder.string() +
                    "': " + std::strerror(errno);
            return std::nullopt;
        }
    }
    if (!file) {
        error =
            "cannot create a temporary file in '" + folder.string() + "': " + std::strerror(EEXIST);
        return std::nullopt;
    }
    StandardInputCopy copy(path);

    std::vector<char> block(64 * 1024);
    bool written = true;
    int writeError = 0;
    while (in && written) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got > 0 && std::fwrite(block.data(), 1, got, file) != got) {
            written = false;
            writeError = errno;
        }
    }
    if (written && std::fflush(file) != 0) {
        written = false;
        writeError = errno;
    }
    std::fclose(file);
    if (!written) {
        error = "cannot copy it to '" + path + "': " + std::strerror(writeError);
        return std::nullopt;
    }
    if (in.bad()) {
        error = std::strerror(EIO);
        return std::nullopt;
    }
    return copy;
}

StandardInputCopy::StandardInputCopy(StandardInputCopy&& other) noexcept
    : m_path(std::move(other.m_path)) {
    other.m_path.clear();
}

StandardInputCopy& StandardInputCopy::operator=(StandardInputCopy&& other) noexcept {
    std::swap(m_path, other.m_path);
    return *this;
}

StandardInputCopy::~StandardInputCopy() {
    if (!m_path.empty())
        std::remove(m_path.c_str());
}

} // namespace cli

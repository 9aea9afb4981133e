#include "file_io.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace settings {

// Windows has no fsync or faccessat at hand in the standard library; this keeps the same
// temporary-then-rename order with what the standard library offers.

FileBytes ReadWholeFile(const std::string& path) {
    FileBytes result;
    std::error_code ec;
    const std::filesystem::path fsPath(path);
    if (!std::filesystem::exists(fsPath, ec)) {
        result.outcome = FileBytes::Outcome::Missing;
        return result;
    }
    std::ifstream in(fsPath, std::ios::binary);
    if (!in || std::filesystem::is_directory(fsPath, ec)) {
        result.outcome = FileBytes::Outcome::Unreadable;
        result.reason = std::make_error_code(std::errc::permission_denied).message();
        return result;
    }
    result.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        result.outcome = FileBytes::Outcome::Unreadable;
        result.bytes.clear();
        result.reason = std::make_error_code(std::errc::io_error).message();
        return result;
    }
    result.outcome = FileBytes::Outcome::Read;
    return result;
}

WriteStatus ReplaceFileContents(const std::string& path, std::string_view bytes) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    std::error_code ec;
    if (fs::exists(target, ec) &&
        (fs::status(target, ec).permissions() & fs::perms::owner_write) == fs::perms::none)
        return WriteStatus::Failure(std::make_error_code(std::errc::permission_denied).message());

    fs::path temp = target;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return WriteStatus::Failure(
                std::make_error_code(std::errc::permission_denied).message());
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temp, ec);
            return WriteStatus::Failure(std::make_error_code(std::errc::io_error).message());
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temp, ec);
        return WriteStatus::Failure(reason);
    }
    return WriteStatus::Success();
}

} // namespace settings

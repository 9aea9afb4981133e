#include "output_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace engine {
namespace {

std::string systemReason(int error) { return std::strerror(error); }

class TemporaryThenRename final : public OutputFile {
public:
    TemporaryThenRename(std::string finalPath, std::string temporaryPath, std::FILE* file)
        : m_finalPath(std::move(finalPath)), m_temporaryPath(std::move(temporaryPath)), m_file(file) {}

    ~TemporaryThenRename() override {
        if (m_file)
            std::fclose(m_file);
        if (!m_committed)
            std::remove(m_temporaryPath.c_str());
    }

    bool write(std::string_view bytes, std::string& error) override {
        if (bytes.empty())
            return true;
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
            error = systemReason(errno);
            return false;
        }
        return true;
    }

    bool finish(std::string& error) override {
        if (!m_file)
            return true;
        // A full disk often shows only when the buffers are flushed or the file is closed.
        std::FILE* file = m_file;
        m_file = nullptr;
        if (std::fflush(file) != 0 || std::ferror(file)) {
            error = systemReason(errno);
            std::fclose(file);
            return false;
        }
        if (std::fclose(file) != 0) {
            error = systemReason(errno);
            return false;
        }
        return true;
    }

    bool commit(std::string& error) override {
        if (!finish(error))
            return false;
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(m_temporaryPath),
                                std::filesystem::path(m_finalPath), ec);
        if (ec) {
            error = ec.message();
            return false;
        }
        m_committed = true;
        return true;
    }

private:
    std::string m_finalPath;
    std::string m_temporaryPath;
    std::FILE* m_file;
    bool m_committed = false;
};

} // namespace

std::unique_ptr<OutputFile> FileSystemOutputFiles::create(const std::string& requestedPath,
                                                          std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // A link is followed, so the file it names gets the output and the link stays a link.
    std::string path = requestedPath;
    if (fs::is_symlink(fs::path(path), ec)) {
        const fs::path target = fs::weakly_canonical(fs::path(path), ec);
        if (!ec)
            path = target.string();
    }
    if (fs::is_directory(fs::path(path), ec)) {
        error = systemReason(EISDIR);
        return nullptr;
    }
    // An existing file is replaced only where it could have been written in place: a read-only
    // file stays as it is.
    const bool exists = fs::exists(fs::path(path), ec);
    if (exists) {
        std::FILE* probe = std::fopen(path.c_str(), "ab");
        if (!probe) {
            error = systemReason(errno);
            return nullptr;
        }
        std::fclose(probe);
    }
    // A name of our own beside the final file, so the rename stays within one file system; "x"
    // never takes over a file that happens to exist under that name.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary =
            path + ".pagelume-" + std::to_string(counter.fetch_add(1)) + ".tmp";
        std::FILE* file = std::fopen(temporary.c_str(), "wbx");
        if (file) {
            if (exists) // the replacement keeps the permissions of the file it replaces
                fs::permissions(fs::path(temporary), fs::status(fs::path(path), ec).permissions(), ec);
            return std::make_unique<TemporaryThenRename>(path, temporary, file);
        }
        if (errno != EEXIST) {
            error = systemReason(errno);
            return nullptr;
        }
    }
    error = systemReason(EEXIST);
    return nullptr;
}

} // namespace engine

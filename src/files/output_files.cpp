#include "files/output_files.h"

#include "files/atomic_file_system.h"
#include "files/file_names.h"
#include "files/folder_lock.h"
#include "files/system_fault.h"
#include "files/utf8_path.h"

#include <filesystem>
#include <system_error>

namespace files {
namespace {

class AtomicOutputFile final : public engine::OutputFile {
  public:
    explicit AtomicOutputFile(std::unique_ptr<AtomicFile> file) : m_file(std::move(file)) {}

    bool write(std::string_view bytes, FileError& error) override {
        return m_file->write(bytes, error);
    }
    bool finish(FileError& error) override { return m_file->finish(error); }
    bool place(FileError& error) override { return m_file->place(error); }
    void confirm() override { m_file->confirm(); }
    std::optional<engine::UndoFault> undo() override { return m_file->undo(); }
    std::optional<engine::LeftBehind> discard() override { return m_file->discard(); }

  private:
    std::unique_ptr<AtomicFile> m_file;
};

// A file taken away as part of a placing: moved aside under a name of our own until the placing
// is confirmed (then removed) or undone (then put back).
class RemovedFile final : public engine::OutputFile {
  public:
    explicit RemovedFile(std::filesystem::path path) : m_path(std::move(path)) {}
    ~RemovedFile() override { (void)undo(); }

    bool write(std::string_view, FileError&) override { return true; }
    bool finish(FileError&) override { return true; }
    bool place(FileError& error) override {
        const std::filesystem::path aside = PathFromUtf8(BesideName(Utf8FromPath(m_path), ".old"));
        std::error_code ec;
        std::filesystem::rename(m_path, aside, ec);
        if (ec) {
            error = FileError::System(ec.message(), SystemCodeOf(ec));
            return false;
        }
        m_aside = aside;
        return true;
    }
    void confirm() override {
        std::error_code ec;
        if (!m_aside.empty())
            std::filesystem::remove(m_aside, ec);
        m_aside.clear();
    }
    std::optional<engine::UndoFault> undo() override {
        std::error_code ec;
        std::optional<engine::UndoFault> fault;
        if (!m_aside.empty()) {
            std::filesystem::rename(m_aside, m_path, ec);
            if (ec)
                fault = engine::UndoFault{false, Utf8FromPath(m_aside)};
        }
        m_aside.clear();
        return fault;
    }

  private:
    std::filesystem::path m_path;
    std::filesystem::path m_aside; // while placed, unconfirmed
};

} // namespace

bool FileSystemOutputFiles::exists(const std::string& path) const {
    std::error_code ec;
    return std::filesystem::symlink_status(PathFromUtf8(path), ec).type() !=
           std::filesystem::file_type::not_found;
}

std::unique_ptr<engine::OutputFile> FileSystemOutputFiles::removal(const std::string& path,
                                                                   FileError& error) {
    if (m_existing == AtomicFile::Existing::Keep) {
        error = FileError::Of(FileError::Cause::AlreadyExists);
        return nullptr;
    }
    return std::make_unique<RemovedFile>(PathFromUtf8(path));
}

std::unique_ptr<engine::PlacingLock>
FileSystemOutputFiles::lockForPlacing(const std::string& path,
                                      const std::function<void()>& waiting) {
    return LockFolderOf(path, waiting);
}

std::string
FileSystemOutputFiles::fileNameFromShiftJis(std::string_view sjis,
                                            const std::vector<std::string>& lost) const {
    return FileNameFromShiftJis(sjis, lost);
}

std::optional<engine::FileError>
FileSystemOutputFiles::approve(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (m_sources.sourceAt(path))
            return engine::FileError{engine::FileError::Cause::SourceItself, path};
    }
    return std::nullopt;
}

std::unique_ptr<engine::OutputFile> FileSystemOutputFiles::create(const std::string& path,
                                                                  FileError& error) {
    std::unique_ptr<AtomicFile> file = AtomicFile::create(path, error, m_existing);
    if (!file)
        return nullptr;
    return std::make_unique<AtomicOutputFile>(std::move(file));
}

} // namespace files

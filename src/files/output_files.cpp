#include "files/output_files.h"

#include "files/file_names.h"

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
    void undo() override { m_file->undo(); }

  private:
    std::unique_ptr<AtomicFile> m_file;
};

} // namespace

std::string FileSystemOutputFiles::fileNameFromShiftJis(std::string_view sjis) const {
    return FileNameFromShiftJis(sjis);
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

#include "files/output_files.h"

#include "files/atomic_file.h"
#include "files/file_names.h"

namespace files {
namespace {

class AtomicOutputFile final : public engine::OutputFile {
  public:
    explicit AtomicOutputFile(std::unique_ptr<AtomicFile> file) : m_file(std::move(file)) {}

    bool write(std::string_view bytes, std::string& error) override {
        return m_file->write(bytes, error);
    }
    bool finish(std::string& error) override { return m_file->finish(error); }
    bool commit(std::string& error) override { return m_file->commit(error); }

  private:
    std::unique_ptr<AtomicFile> m_file;
};

} // namespace

std::string FileSystemOutputFiles::fileNameFromShiftJis(std::string_view sjis) const {
    return FileNameFromShiftJis(sjis);
}

std::unique_ptr<engine::OutputFile> FileSystemOutputFiles::create(const std::string& path,
                                                                  std::string& error) {
    std::unique_ptr<AtomicFile> file = AtomicFile::create(path, error);
    if (!file)
        return nullptr;
    return std::make_unique<AtomicOutputFile>(std::move(file));
}

} // namespace files

#pragma once

#include "engine/output_files.h"
#include "files/atomic_file.h"
#include "files/file_identity.h"

namespace files {

// Outputs on the file system, each written through an AtomicFile: a temporary file beside the
// final one, renamed over it when complete. With AtomicFile::Existing::Keep an existing file is
// never replaced, not even one that appears while the output is written.
class FileSystemOutputFiles : public engine::OutputFiles {
  public:
    explicit FileSystemOutputFiles(AtomicFile::Existing existing = AtomicFile::Existing::Replace)
        : m_existing(existing) {}

    // The files the run reads: an output that would write over one of them refuses its source.
    void setSources(RunSources sources) { m_sources = std::move(sources); }
    const RunSources& sources() const { return m_sources; }

    std::string fileNameFromShiftJis(std::string_view sjis,
                                     const std::vector<std::string>& lost) const override;
    std::optional<engine::FileError> approve(const std::vector<std::string>& paths) override;
    bool exists(const std::string& path) const override;
    // With AtomicFile::Existing::Keep nothing is taken away: AlreadyExists.
    std::unique_ptr<engine::OutputFile> removal(const std::string& path,
                                                engine::FileError& error) override;
    std::unique_ptr<engine::PlacingLock>
    lockForPlacing(const std::string& path, const std::function<void()>& waiting) override;
    std::unique_ptr<engine::OutputFile> create(const std::string& path,
                                               engine::FileError& error) override;

  private:
    AtomicFile::Existing m_existing;
    RunSources m_sources;
};

} // namespace files

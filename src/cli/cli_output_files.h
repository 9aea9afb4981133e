#pragma once

#include "files/output_files.h"
#include "working_folder.h"

#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace cli {

// The command-line tool's rules for output files, over the file system's temporary-file-and-rename
// writing: an existing file is replaced only with --force; a file this invocation has already
// written is never replaced, even with --force (two sources with the same output name would
// otherwise lose the first one's output); a missing output folder refuses the source instead of
// being created; and kStandardOutput writes to the given stream.
//
// Entries converted side by side share one of these: what they call may come from several threads.
class CliOutputFiles final : public engine::OutputFiles {
  public:
    // The files placed so far, by identity.
    class WrittenFiles {
      public:
        void insert(std::string identity) {
            const std::lock_guard lock(m_mutex);
            m_identities.insert(std::move(identity));
        }
        bool contains(const std::string& identity) const {
            const std::lock_guard lock(m_mutex);
            return m_identities.contains(identity);
        }

      private:
        mutable std::mutex m_mutex;
        std::set<std::string> m_identities; // absolute, normalised
    };

    // The path that stands for standard output.
    static constexpr const char* kStandardOutput = "-";

    // `outputFolder`: the -d folder as the file system is to be given it, if one was chosen.
    CliOutputFiles(const WorkingFolder& workingFolder, std::ostream& standardOutput, bool force,
                   std::optional<std::string> outputFolder);

    std::string fileNameFromShiftJis(std::string_view sjis,
                                     const std::vector<std::string>& lost) const override;
    // The files this invocation reads, standard input among them.
    void setSources(files::RunSources sources) { m_fileSystem.setSources(std::move(sources)); }

    // Refusals are whole sentences naming the file, shown as they are, or SourceItself with the
    // output's name as the user gave it.
    std::optional<engine::FileError> approve(const std::vector<std::string>& paths) override;
    std::unique_ptr<engine::OutputFile> create(const std::string& path,
                                               engine::FileError& error) override;
    bool exists(const std::string& path) const override { return m_fileSystem.exists(path); }
    std::unique_ptr<engine::OutputFile> removal(const std::string& path,
                                                engine::FileError& error) override {
        return m_fileSystem.removal(path, error);
    }
    std::unique_ptr<engine::PlacingLock>
    lockForPlacing(const std::string& path, const std::function<void()>& waiting) override {
        return m_fileSystem.lockForPlacing(path, waiting);
    }

  private:
    const WorkingFolder& m_workingFolder;
    std::ostream& m_standardOutput;
    bool m_force;
    std::optional<std::string> m_outputFolder;
    files::FileSystemOutputFiles m_fileSystem;
    WrittenFiles m_written;
};

} // namespace cli

#include "cli_output_files.h"

#include "files/utf8_path.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace cli {
namespace {

namespace fs = std::filesystem;

using files::PathFromUtf8;
using files::Utf8FromPath;

// Two spellings of one output file ("a.txt", "./a.txt", "out/../a.txt") compare equal. The folder
// is resolved rather than the whole path, because a symbolic link at the path itself is replaced
// by the rename, not written through.
std::string fileIdentity(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(PathFromUtf8(path), ec);
    if (ec)
        return path;
    const fs::path folder = fs::weakly_canonical(absolute.parent_path(), ec);
    if (ec)
        return Utf8FromPath(absolute.lexically_normal());
    return Utf8FromPath(folder / absolute.filename());
}

bool pathExists(const std::string& path) {
    std::error_code ec;
    // A dangling symbolic link counts as an existing file: the rename would replace it.
    return fs::symlink_status(PathFromUtf8(path), ec).type() != fs::file_type::not_found;
}

// Standard output cannot be renamed into place, so the bytes are held until the output is
// complete: a source that fails midway leaves nothing half written on the stream.
class StandardOutputFile final : public engine::OutputFile {
  public:
    explicit StandardOutputFile(std::ostream& out) : m_out(out) {}

    bool write(std::string_view bytes, engine::FileError&) override {
        m_pending.append(bytes);
        return true;
    }
    bool finish(engine::FileError&) override { return true; }

    // What reaches the stream cannot be taken back; standard output is never one of several files.
    bool place(engine::FileError& error) override {
        errno = 0;
        m_out.write(m_pending.data(), static_cast<std::streamsize>(m_pending.size()));
        m_out.flush();
        m_pending.clear();
        if (!m_out) {
            error = engine::FileError::System(std::strerror(errno != 0 ? errno : EIO));
            return false;
        }
        return true;
    }
    void confirm() override {}
    std::optional<engine::UndoFault> undo() override { return std::nullopt; }

  private:
    std::ostream& m_out;
    std::string m_pending;
};

// Remembers a file once it is in place, so no later source of the same invocation replaces it.
class RecordedFile final : public engine::OutputFile {
  public:
    RecordedFile(std::unique_ptr<engine::OutputFile> file, std::string identity,
                 CliOutputFiles::WrittenFiles& written)
        : m_file(std::move(file)), m_identity(std::move(identity)), m_written(written) {}

    bool write(std::string_view bytes, engine::FileError& error) override {
        return m_file->write(bytes, error);
    }
    bool finish(engine::FileError& error) override { return m_file->finish(error); }
    bool place(engine::FileError& error) override { return m_file->place(error); }
    void confirm() override {
        m_file->confirm();
        m_written.insert(m_identity);
    }
    std::optional<engine::UndoFault> undo() override { return m_file->undo(); }
    std::optional<engine::LeftBehind> discard() override { return m_file->discard(); }

  private:
    std::unique_ptr<engine::OutputFile> m_file;
    std::string m_identity;
    CliOutputFiles::WrittenFiles& m_written;
};

} // namespace

CliOutputFiles::CliOutputFiles(const WorkingFolder& workingFolder, std::ostream& standardOutput,
                               bool force, std::optional<std::string> outputFolder)
    : m_workingFolder(workingFolder), m_standardOutput(standardOutput), m_force(force),
      m_outputFolder(std::move(outputFolder)),
      m_fileSystem(force ? files::AtomicFile::Existing::Replace
                         : files::AtomicFile::Existing::Keep) {}

std::optional<engine::FileError> CliOutputFiles::approve(const std::vector<std::string>& paths) {
    if (paths.size() == 1 && paths.front() == kStandardOutput)
        return std::nullopt;
    const auto refuse = [](std::string sentence) {
        return engine::FileError::System(std::move(sentence));
    };
    // Never over a source, not even with --force: the book would be lost to its own pages.
    for (const std::string& path : paths) {
        if (m_fileSystem.sources().sourceAt(path))
            return engine::FileError{engine::FileError::Cause::SourceItself,
                                     m_workingFolder.display(path)};
    }
    if (m_outputFolder) {
        std::error_code ec;
        const fs::file_status status = fs::status(PathFromUtf8(*m_outputFolder), ec);
        const std::string folder = m_workingFolder.display(*m_outputFolder);
        if (status.type() == fs::file_type::not_found)
            return refuse("the output folder '" + folder + "' does not exist");
        if (status.type() != fs::file_type::directory)
            return refuse("'" + folder + "' is not a folder");
    }
    for (const std::string& path : paths) {
        const std::string name = m_workingFolder.display(path);
        std::error_code ec;
        const fs::file_status status = fs::status(PathFromUtf8(path), ec);
        if (fs::is_directory(status))
            return refuse("'" + name + "' is a folder");
        if (fs::exists(status) && !fs::is_regular_file(status))
            return refuse("'" + name + "' is not a regular file");
        if (m_written.contains(fileIdentity(path)))
            return refuse("'" + name +
                          "' was already written by an earlier source and is not replaced");
        if (!m_force && pathExists(path))
            return refuse("'" + name + "' already exists (use --force to replace it)");
    }
    return std::nullopt;
}

std::string CliOutputFiles::fileNameFromShiftJis(std::string_view sjis,
                                                 const std::vector<std::string>& lost) const {
    return m_fileSystem.fileNameFromShiftJis(sjis, lost);
}

std::unique_ptr<engine::OutputFile> CliOutputFiles::create(const std::string& path,
                                                           engine::FileError& error) {
    if (path == kStandardOutput)
        return std::make_unique<StandardOutputFile>(m_standardOutput);
    std::unique_ptr<engine::OutputFile> file = m_fileSystem.create(path, error);
    if (!file)
        return nullptr;
    return std::make_unique<RecordedFile>(std::move(file), fileIdentity(path), m_written);
}

} // namespace cli

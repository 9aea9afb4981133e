#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// One output file being written. Nothing reaches the final path until commit(): the bytes go to a
// temporary file beside it, which commit() renames into place. A file destroyed without a commit
// leaves the final path as it was.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // False on failure, with the system's reason in `error`.
    virtual bool write(std::string_view bytes, std::string& error) = 0;
    // Everything is written: the file is closed, not yet in place. A split output closes each
    // file as it is done and puts them all in place at the end.
    virtual bool finish(std::string& error) { (void)error; return true; }
    virtual bool commit(std::string& error) = 0;
};

// Where a run's output files go. The window and the tests use the file system as it is; the
// command-line tool adds its own rules (no replacing without --force, standard output).
class OutputFiles {
public:
    virtual ~OutputFiles() = default;

    // Called once per source with every path it is about to write, before any is created.
    // Returning a reason refuses the source: nothing of it is written.
    virtual std::optional<std::string> approve(const std::vector<std::string>& paths) {
        (void)paths;
        return std::nullopt;
    }

    // Starts writing `path`; null with the system's reason in `error` when that cannot be done.
    virtual std::unique_ptr<OutputFile> create(const std::string& path, std::string& error) = 0;
};

// The file system: a temporary file in the same folder, renamed over the final path when complete.
class FileSystemOutputFiles : public OutputFiles {
public:
    std::unique_ptr<OutputFile> create(const std::string& path, std::string& error) override;
};

} // namespace engine

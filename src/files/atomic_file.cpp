#include "files/atomic_file.h"

#include "files/atomic_file_system.h"
#include "files/atomic_file_testing.h"
#include "files/system_fault.h"

#include <atomic>
#include <cerrno>
#include <system_error>

namespace files {

namespace testing {
namespace {
std::atomic<bool> noLinksNoRenameNoReplace{false};
std::atomic<bool> noUnnamedFiles{false};
} // namespace

void SimulateNoUnnamedFiles(bool on) {
    noUnnamedFiles = on;
}

bool SimulatingNoUnnamedFiles() {
    return noUnnamedFiles || noLinksNoRenameNoReplace;
}

void SimulateNoLinksNoRenameNoReplace(bool on) {
    noLinksNoRenameNoReplace = on;
}

bool SimulatingNoLinksNoRenameNoReplace() {
    return noLinksNoRenameNoReplace;
}
} // namespace testing

namespace {

// The folder part of `path` with its last separator, or what names the folder a bare name is in
// ("" for the working folder; "C:" for a drive's own working folder on Windows).
std::string folderPrefixOf(const std::string& path) {
#ifdef _WIN32
    const auto separator = path.find_last_of("/\\");
    if (separator == std::string::npos)
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
#else
    const auto separator = path.find_last_of('/');
    if (separator == std::string::npos)
        return {};
#endif
    return path.substr(0, separator + 1);
}

} // namespace

// A short hidden name whatever the length of the final one: the final name plus a suffix would
// not fit a name of 255 bytes, the most a file system allows.
std::string BesideName(const std::string& path, const char* suffix) {
    static std::atomic<unsigned> counter{0};
    return folderPrefixOf(path) + ".pagelume-" + std::to_string(CurrentProcessId()) + "-" +
           std::to_string(counter.fetch_add(1)) + suffix;
}

std::unique_ptr<AtomicFile> AtomicFile::create(const std::string& requestedPath, FileError& error,
                                               Existing existing) {
    FinalTarget target;
    if (!InspectFinalPath(requestedPath, target, error))
        return nullptr;
    if (target.folder) {
        // In the same words on every system.
        error = FileError::System(std::generic_category().message(EISDIR), kIsAFolderCode);
        return nullptr;
    }
    // A FIFO or a device is never opened: writing to it could wait for ever.
    if (!target.regular) {
        error = FileError::Of(FileError::Cause::NotARegularFile);
        return nullptr;
    }
    if (target.exists && existing == Existing::Keep) {
        error = FileError::Of(FileError::Cause::AlreadyExists);
        return nullptr;
    }
    // Renaming would replace even a file the user made read-only; refuse as a direct write would.
    if (target.exists && !MayReplace(target, error))
        return nullptr;
    SweepFolderOnce(target.path);
    if (std::intptr_t handle = 0; OpenUnnamedTemporary(target, handle))
        return std::unique_ptr<AtomicFile>(
            new AtomicFile(std::move(target.path), std::string(), existing, handle));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = BesideName(target.path, ".tmp");
        std::intptr_t handle = 0;
        switch (OpenTemporary(temporary, target, handle, error)) {
        case TemporaryOpening::Opened:
            return std::unique_ptr<AtomicFile>(
                new AtomicFile(std::move(target.path), std::move(temporary), existing, handle));
        case TemporaryOpening::NameTaken:
            break;
        case TemporaryOpening::Failed:
            return nullptr;
        }
    }
    return nullptr; // every name tried was taken, as `error` says
}

bool AtomicFile::commit(FileError& error) {
    m_alone = true;
    if (!place(error))
        return false;
    confirm();
    // A file written alone (the settings) makes its rename durable too. The outputs of a run do
    // without: a rename is atomic whenever it reaches the disk, so the final path holds the old
    // file or the whole new one either way, and a folder synced per output would cost a batch
    // of small books more than their conversion.
    syncFolder();
    return true;
}

WriteStatus ReplaceFileContents(const std::string& path, std::string_view bytes) {
    FileError error;
    std::unique_ptr<AtomicFile> file = AtomicFile::create(path, error);
    if (!file || !file->write(bytes, error) || !file->commit(error))
        return error.cause == FileError::Cause::System
                   ? WriteStatus::Failure(error.reason, error.code)
                   : WriteStatus::Failure("the settings file is not a regular file",
                                          engine::kNotARegularFileCode);
    return WriteStatus::Success();
}

} // namespace files

#include "files/atomic_file.h"

namespace files {

bool AtomicFile::commit(FileError& error) {
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
        return WriteStatus::Failure(error.cause == FileError::Cause::System
                                        ? error.reason
                                        : "the settings file is not a regular file");
    return WriteStatus::Success();
}

} // namespace files

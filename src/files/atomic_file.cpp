#include "files/atomic_file.h"

namespace files {

bool AtomicFile::commit(FileError& error) {
    if (!place(error))
        return false;
    confirm();
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

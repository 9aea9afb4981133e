#include "files/atomic_file.h"

namespace files {

WriteStatus ReplaceFileContents(const std::string& path, std::string_view bytes) {
    std::string error;
    std::unique_ptr<AtomicFile> file = AtomicFile::create(path, error);
    if (!file || !file->write(bytes, error) || !file->commit(error))
        return WriteStatus::Failure(error);
    return WriteStatus::Success();
}

} // namespace files

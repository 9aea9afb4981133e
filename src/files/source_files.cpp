#include "files/source_files.h"

#include "files/file_bytes.h"

#include <cerrno>
#include <system_error>

namespace files {

engine::SourceBytes FileSystemSources::read(const std::string& path, engine::EventPump& pump) {
    FileBytes file =
        ReadWholeFile(path, engine::kMaxTextBytes, [&pump] { pump.ProcessPendingEvents(); });
    engine::SourceBytes source;
    switch (file.outcome) {
    case FileBytes::Outcome::Read:
        source.ok = true;
        source.bytes = std::move(file.bytes);
        break;
    case FileBytes::Outcome::Missing:
        source.error = engine::FileError::System(std::generic_category().message(ENOENT));
        break;
    case FileBytes::Outcome::Unreadable:
        source.error = engine::FileError::System(std::move(file.reason));
        break;
    case FileBytes::Outcome::TooLarge:
        source.error = engine::FileError::Of(engine::FileError::Cause::TooLarge);
        break;
    }
    return source;
}

} // namespace files

#include "files/source_files.h"

#include "engine/text_stream.h"
#include "files/file_bytes.h"
#include "input/source_text.h"

#include <cerrno>
#include <system_error>

namespace files {

engine::SourceText FileSystemSources::read(const std::string& path, const settings::Settings& live,
                                           engine::EventPump& pump) {
    FileBytes file =
        ReadWholeFile(path, engine::kMaxTextBytes, [&pump] { pump.ProcessPendingEvents(); });
    engine::SourceText source;
    switch (file.outcome) {
    case FileBytes::Outcome::Read:
        return input::SourceFromBytes(std::move(file.bytes), live, pump);
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

#include "cli_sources.h"

#include <cerrno>
#include <system_error>

namespace cli {

engine::SourceBytes CliSources::read(const std::string& path, engine::EventPump& pump) {
    if (path != kStandardInput)
        return m_files.read(path, pump);
    // Standard input can be read only once: a second "-" on the command line gets what is left,
    // which is nothing.
    engine::SourceBytes source;
    char block[64 * 1024];
    while (m_standardInput) {
        pump.ProcessPendingEvents();
        m_standardInput.read(block, sizeof block);
        source.bytes.append(block, static_cast<std::size_t>(m_standardInput.gcount()));
        if (source.bytes.size() > static_cast<std::size_t>(engine::kMaxTextBytes)) {
            source.bytes = std::string();
            source.error = engine::FileError::Of(engine::FileError::Cause::TooLarge);
            return source;
        }
    }
    if (m_standardInput.bad()) {
        source.bytes = std::string();
        source.error = engine::FileError::System(std::generic_category().message(EIO));
        return source;
    }
    source.ok = true;
    return source;
}

} // namespace cli

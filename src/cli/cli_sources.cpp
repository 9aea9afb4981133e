#include "cli_sources.h"

#include "input/source_text.h"

#include <cerrno>
#include <system_error>

namespace cli {

engine::SourceText CliSources::read(const std::string& path, const settings::Settings& live,
                                    engine::EventPump& pump) {
    if (path != kStandardInput)
        return m_files.read(path, live, pump);
    // Standard input can be read only once: a second "-" on the command line gets what is left,
    // which is nothing.
    engine::SourceText source;
    char block[64 * 1024];
    while (m_standardInput) {
        pump.ProcessPendingEvents();
        m_standardInput.read(block, sizeof block);
        source.text.append(block, static_cast<std::size_t>(m_standardInput.gcount()));
        if (source.text.size() > static_cast<std::size_t>(engine::kMaxTextBytes)) {
            source.text = std::string();
            source.error = engine::FileError::Of(engine::FileError::Cause::TooLarge);
            return source;
        }
    }
    if (m_standardInput.bad()) {
        source.text = std::string();
        source.error = engine::FileError::System(std::generic_category().message(EIO));
        return source;
    }
    return input::SourceFromBytes(std::move(source.text), live, pump);
}

} // namespace cli

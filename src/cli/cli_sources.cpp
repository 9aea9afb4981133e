#include "cli_sources.h"

#include "engine/text_stream.h"

#include <cerrno>
#include <iterator>
#include <system_error>

namespace cli {

engine::SourceText CliSources::read(const std::string& path, engine::EventPump& pump) {
    if (path != kStandardInput)
        return m_files.read(path, pump);
    // Standard input can be read only once: a second "-" on the command line gets what is left,
    // which is nothing.
    engine::SourceText source;
    source.text.assign(std::istreambuf_iterator<char>(m_standardInput), {});
    if (m_standardInput.bad()) {
        source.reason = std::generic_category().message(EIO);
        source.text.clear();
        return source;
    }
    source.ok = true;
    engine::MakeTextAsRead(source.text);
    return source;
}

} // namespace cli

#include "files/file_identity.h"

#include "engine/source_files.h"

namespace files {

RunSources::RunSources(const std::vector<std::string>& paths, bool standardInput) {
    for (const std::string& path : paths) {
        // A member of a zip is read from the zip: that is the file no output may replace.
        const auto member = engine::AsMemberSource(path);
        const std::string file = member ? std::string(member->zipPath) : path;
        if (const auto identity = IdentityOf(file))
            m_sources.emplace_back(*identity, file);
    }
    if (standardInput) {
        if (const auto identity = IdentityOfStandardInput())
            m_sources.emplace_back(*identity, "-");
    }
}

std::optional<std::string> RunSources::sourceAt(const std::string& outputPath) const {
    if (m_sources.empty())
        return std::nullopt;
    const auto identity = IdentityOf(outputPath);
    if (!identity)
        return std::nullopt;
    for (const auto& [source, path] : m_sources) {
        if (source == *identity)
            return path;
    }
    return std::nullopt;
}

} // namespace files

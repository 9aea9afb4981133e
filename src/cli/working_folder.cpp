#include "working_folder.h"

#include <filesystem>

namespace cli {

WorkingFolder::WorkingFolder(std::string folder) : m_folder(std::move(folder)) {
    while (m_folder.size() > 1 && m_folder.back() == '/')
        m_folder.pop_back();
}

std::string WorkingFolder::resolve(const std::string& userPath) const {
    if (m_folder.empty() || std::filesystem::path(userPath).is_absolute())
        return userPath;
    return join(m_folder, userPath);
}

std::string WorkingFolder::display(const std::string& path) const {
    if (m_folder.empty())
        return path;
    const std::string prefix = join(m_folder, "");
    if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0)
        return path.substr(prefix.size());
    return path;
}

std::string WorkingFolder::join(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace cli

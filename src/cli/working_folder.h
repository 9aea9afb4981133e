#pragma once

#include <string>

namespace cli {

// The folder that relative paths of the command line are taken from. Tests give a folder of their
// own; the program gives an empty one, which leaves paths to the process's current folder.
class WorkingFolder {
  public:
    explicit WorkingFolder(std::string folder);

    // The path the file system is given for a path the user wrote.
    std::string resolve(const std::string& userPath) const;

    // A path as the user would write it in this folder, for messages.
    std::string display(const std::string& path) const;

    // `name` inside `folder`, with one separator between them.
    static std::string join(const std::string& folder, const std::string& name);

  private:
    std::string m_folder; // no trailing separator, or empty
};

} // namespace cli

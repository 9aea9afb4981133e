#pragma once

#include "engine/file_error.h"

#include <atomic>
#include <memory>
#include <string>

namespace files {

// A hidden folder of this run's beside its outputs, where finished files of a series wait under
// short names until they are placed: a series may have more parts than a process may hold open,
// and an unnamed file must be given a name before it is closed. The run holds it locked (flock)
// while it lives, so that a later run can tell a folder that a run which is gone left behind
// (SweepFolderOnce removes those). The last file to leave it removes it.
class StagingFolder {
  public:
    // This run's staging folder beside `finalPath`, made on first use; null with the reason.
    static std::shared_ptr<StagingFolder> Beside(const std::string& finalPath,
                                                 engine::FileError& error);
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    int descriptor() const { return m_fd; }
    const std::string& path() const { return m_path; }
    std::string nextName() { return std::to_string(++m_named); }

  private:
    StagingFolder(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}

    std::string m_path;
    int m_fd;
    std::atomic<unsigned long long> m_named{0};
};

} // namespace files

#pragma once

#include "platform/environment.h"

#include <filesystem>
#include <functional>

namespace platform {

inline constexpr const char* kSettingsFileName = "pglm201.cfg";
inline constexpr const char* kReadmeFileName = "read201.txt";

// The folder that holds the running program file; empty when the system cannot tell.
std::filesystem::path ProgramFolder();

// Whether the program may create files in `folder` (it exists and is writable to this process).
bool IsWritableFolder(const std::filesystem::path& folder);

// The file-system questions the path choices ask, injectable for tests.
struct PathChecks {
    std::function<bool(const std::filesystem::path&)> isFile;
    std::function<bool(const std::filesystem::path&)> isWritableFolder;
};

// Checks against the real file system.
PathChecks RealPathChecks();

// Where the settings file lives:
// 1. "pglm201.cfg" in the program folder when that folder already holds one, or when the folder
//    is writable and holds the readme too (a portable install keeps its settings beside the
//    program; an installed one has its readme in the shared data folder);
// 2. otherwise <XDG_CONFIG_HOME>/pagelume/pglm201.cfg, with XDG_CONFIG_HOME ignored when unset,
//    empty or relative;
// 3. otherwise <HOME>/.config/pagelume/pglm201.cfg;
// 4. with no usable HOME either, the program folder after all (saving may then fail, silently).
// Nothing is created here.
std::filesystem::path ChooseSettingsPath(const std::filesystem::path& programFolder,
                                         const EnvLookup& env, const PathChecks& checks);

// ChooseSettingsPath for this process. When the choice is the per-user folder, that folder is
// created here (not the file), so that the first save has somewhere to write.
std::filesystem::path SettingsFilePath();

// The readme: "read201.txt" beside the program when it is there, else the one in `dataFolder`
// (the installed shared data), else the path beside the program, so that the message about a
// missing readme names the place a user would look.
std::filesystem::path
ChooseReadmePath(const std::filesystem::path& programFolder,
                 const std::filesystem::path& dataFolder,
                 const std::function<bool(const std::filesystem::path&)>& isFile);

// ChooseReadmePath for this process and the data folder the build installs into.
std::filesystem::path ReadmePath();

} // namespace platform

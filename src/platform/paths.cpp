#include "platform/paths.h"

#include <system_error>

namespace platform {
namespace {

// XDG base directories must be absolute; an empty or relative value counts as unset.
std::optional<std::filesystem::path> absoluteVariable(const EnvLookup& env, const char* name) {
    std::optional<std::filesystem::path> value = env(name);
    if (!value || value->empty() || !value->is_absolute())
        return std::nullopt;
    return value;
}

} // namespace

PathChecks RealPathChecks() {
    return PathChecks{
        [](const std::filesystem::path& path) {
            std::error_code ec;
            return std::filesystem::is_regular_file(path, ec);
        },
        &IsWritableFolder,
    };
}

std::filesystem::path ChooseSettingsPath(const std::filesystem::path& programFolder,
                                         const EnvLookup& env, const PathChecks& checks) {
    const std::filesystem::path besideProgram = programFolder / kSettingsFileName;
    // A portable install is a folder of its own that holds the readme beside the program; an
    // installed program (its readme in the shared data folder) keeps its settings per user even
    // where its folder is writable, as /usr/bin is to root.
    if (!programFolder.empty() &&
        (checks.isFile(besideProgram) || (checks.isWritableFolder(programFolder) &&
                                          checks.isFile(programFolder / kReadmeFileName))))
        return besideProgram;
    if (auto configHome = absoluteVariable(env, "XDG_CONFIG_HOME"))
        return *configHome / "pagelume" / kSettingsFileName;
    if (auto home = absoluteVariable(env, "HOME"))
        return *home / ".config" / "pagelume" / kSettingsFileName;
    return besideProgram;
}

std::filesystem::path SettingsFilePath() {
    const std::filesystem::path programFolder = ProgramFolder();
    const std::filesystem::path path =
        ChooseSettingsPath(programFolder, ProcessEnvironment(), RealPathChecks());
    if (path.parent_path() != programFolder) {
        // A failure shows up later as a failed save, which goes unreported anyway.
        std::error_code ec;
        std::filesystem::create_directories(path.parent_path(), ec);
    }
    return path;
}

std::filesystem::path
ChooseReadmePath(const std::filesystem::path& programFolder,
                 const std::filesystem::path& dataFolder,
                 const std::function<bool(const std::filesystem::path&)>& isFile) {
    const std::filesystem::path besideProgram = programFolder / kReadmeFileName;
    if (isFile(besideProgram))
        return besideProgram;
    if (!dataFolder.empty()) {
        const std::filesystem::path installed = dataFolder / kReadmeFileName;
        if (isFile(installed))
            return installed;
    }
    return besideProgram;
}

std::filesystem::path ReadmePath() {
    return ChooseReadmePath(ProgramFolder(), std::filesystem::path(u8"" PAGELUME_DATA_DIR),
                            RealPathChecks().isFile);
}

} // namespace platform

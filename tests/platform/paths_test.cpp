#include "platform/paths.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

using testing_support::TempDir;

namespace {

namespace fs = std::filesystem;

platform::EnvLookup environment(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> std::optional<fs::path> {
        const auto it = values.find(name);
        if (it == values.end())
            return std::nullopt;
        return fs::path(it->second);
    };
}

// A made-up file system: the listed files exist, the listed folders are writable.
platform::PathChecks fakeFileSystem(std::set<fs::path> files, std::set<fs::path> writable) {
    return platform::PathChecks{
        [files = std::move(files)](const fs::path& p) { return files.count(p) > 0; },
        [writable = std::move(writable)](const fs::path& p) { return writable.count(p) > 0; },
    };
}

const fs::path kProgramFolder = "/opt/pagelume/bin";
// Settings folders from the environment count only when absolute, which on Windows takes a drive.
#ifdef _WIN32
const std::string kHome = "C:/home/me";
#else
const std::string kHome = "/home/me";
#endif
const platform::EnvLookup kUserEnvironment =
    environment({{"XDG_CONFIG_HOME", kHome + "/.xdg"}, {"HOME", kHome}});

TEST(ChooseSettingsPath, ExistingFileBesideProgramWinsEvenWhenFolderIsReadOnly) {
    EXPECT_EQ(platform::ChooseSettingsPath(kProgramFolder, kUserEnvironment,
                                           fakeFileSystem({"/opt/pagelume/bin/pglm201.cfg"}, {})),
              fs::path("/opt/pagelume/bin/pglm201.cfg"));
}

TEST(ChooseSettingsPath, WritablePortableFolderKeepsSettingsBesideProgram) {
    EXPECT_EQ(platform::ChooseSettingsPath(
                  kProgramFolder, kUserEnvironment,
                  fakeFileSystem({"/opt/pagelume/bin/read201.txt"}, {kProgramFolder})),
              fs::path("/opt/pagelume/bin/pglm201.cfg"));
    // An installed program's folder (its readme elsewhere) is no portable install, even where
    // this user may write to it, as root may to /usr/bin.
    EXPECT_EQ(platform::ChooseSettingsPath(kProgramFolder, kUserEnvironment,
                                           fakeFileSystem({}, {kProgramFolder})),
              fs::path(kHome + "/.xdg/pagelume/pglm201.cfg"));
}

TEST(ChooseSettingsPath, ReadOnlyProgramFolderUsesXdgConfigHome) {
    EXPECT_EQ(platform::ChooseSettingsPath(kProgramFolder, kUserEnvironment,
                                           fakeFileSystem({}, {kHome + "/.xdg"})),
              fs::path(kHome + "/.xdg/pagelume/pglm201.cfg"));
    // A settings file somewhere else in the tree does not count as one beside the program.
    EXPECT_EQ(platform::ChooseSettingsPath(kProgramFolder, kUserEnvironment,
                                           fakeFileSystem({"/opt/pagelume/pglm201.cfg"}, {})),
              fs::path(kHome + "/.xdg/pagelume/pglm201.cfg"));
}

TEST(ChooseSettingsPath, UnsetEmptyOrRelativeXdgConfigHomeFallsBackToHomeConfig) {
    const platform::PathChecks readOnly = fakeFileSystem({}, {});
    EXPECT_EQ(
        platform::ChooseSettingsPath(kProgramFolder, environment({{"HOME", kHome}}), readOnly),
        fs::path(kHome + "/.config/pagelume/pglm201.cfg"));
    EXPECT_EQ(platform::ChooseSettingsPath(kProgramFolder,
                                           environment({{"XDG_CONFIG_HOME", ""}, {"HOME", kHome}}),
                                           readOnly),
              fs::path(kHome + "/.config/pagelume/pglm201.cfg"));
    EXPECT_EQ(platform::ChooseSettingsPath(
                  kProgramFolder,
                  environment({{"XDG_CONFIG_HOME", "relative/cfg"}, {"HOME", kHome}}), readOnly),
              fs::path(kHome + "/.config/pagelume/pglm201.cfg"));
}

TEST(ChooseSettingsPath, NoUsableHomeLeavesTheProgramFolder) {
    const platform::PathChecks readOnly = fakeFileSystem({}, {});
    EXPECT_EQ(platform::ChooseSettingsPath(kProgramFolder, environment({}), readOnly),
              fs::path("/opt/pagelume/bin/pglm201.cfg"));
    EXPECT_EQ(platform::ChooseSettingsPath(kProgramFolder, environment({{"HOME", ""}}), readOnly),
              fs::path("/opt/pagelume/bin/pglm201.cfg"));
}

// Without a known program folder, the working directory must not pass for a portable install.
TEST(ChooseSettingsPath, UnknownProgramFolderIsNeverPortable) {
    bool askedAboutWorkingDirectory = false;
    const platform::PathChecks checks{
        [&](const fs::path&) {
            askedAboutWorkingDirectory = true;
            return true;
        },
        [&](const fs::path&) {
            askedAboutWorkingDirectory = true;
            return true;
        },
    };
    EXPECT_EQ(platform::ChooseSettingsPath({}, kUserEnvironment, checks),
              fs::path(kHome + "/.xdg/pagelume/pglm201.cfg"));
    EXPECT_FALSE(askedAboutWorkingDirectory);
}

TEST(ChooseReadmePath, LookupOrder) {
    const fs::path data = "/usr/share/pagelume";
    auto existing = [](std::set<fs::path> files) {
        return [files = std::move(files)](const fs::path& p) { return files.count(p) > 0; };
    };
    EXPECT_EQ(platform::ChooseReadmePath(
                  kProgramFolder, data,
                  existing({"/opt/pagelume/bin/read201.txt", "/usr/share/pagelume/read201.txt"})),
              fs::path("/opt/pagelume/bin/read201.txt"));
    EXPECT_EQ(platform::ChooseReadmePath(kProgramFolder, data,
                                         existing({"/usr/share/pagelume/read201.txt"})),
              fs::path("/usr/share/pagelume/read201.txt"));
    // Neither: the path beside the program, for the message that it is missing.
    EXPECT_EQ(platform::ChooseReadmePath(kProgramFolder, data, existing({})),
              fs::path("/opt/pagelume/bin/read201.txt"));
    EXPECT_EQ(platform::ChooseReadmePath(kProgramFolder, {}, existing({"/read201.txt"})),
              fs::path("/opt/pagelume/bin/read201.txt"));
}

TEST(RealPathChecks, FilesAndWritableFolders) {
    TempDir temp;
    const fs::path file = temp.write("pglm201.cfg", "[setting]\r\n");
    fs::create_directories(temp.path() / "read201.txt"); // a folder by the readme's name

    const platform::PathChecks checks = platform::RealPathChecks();
    EXPECT_TRUE(checks.isFile(file));
    EXPECT_FALSE(checks.isFile(temp.path() / "read201.txt"));
    EXPECT_FALSE(checks.isFile(temp.path() / "missing.cfg"));
    EXPECT_TRUE(checks.isWritableFolder(temp.path()));
    EXPECT_FALSE(checks.isWritableFolder(file));
    EXPECT_FALSE(checks.isWritableFolder(temp.path() / "missing"));

    EXPECT_EQ(platform::ChooseReadmePath(temp.path(), {}, checks.isFile),
              temp.path() / "read201.txt");
}

TEST(ProgramFolder, HoldsTheRunningTestProgram) {
    const fs::path folder = platform::ProgramFolder();
    ASSERT_FALSE(folder.empty());
#ifdef _WIN32
    EXPECT_TRUE(fs::exists(folder / "platform_tests.exe"));
#else
    EXPECT_TRUE(fs::exists(folder / "platform_tests"));
#endif
}

} // namespace

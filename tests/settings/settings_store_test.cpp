#include "settings/settings_store.h"
#include "settings/utf8_prefix.h"

#include "files/system_fault.h"

#include "support/fifo.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#ifdef _WIN32
#include "files/system_text_win.h"
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

using namespace settings;
using namespace testing_support;

namespace {

// The system's words for a failure; Windows has words of its own for it (and a language).
#ifdef _WIN32
std::string systemText(int, unsigned long windowsError) {
    return files::SystemErrorText(windowsError);
}
#else
std::string systemText(int posixError, unsigned long) {
    return std::strerror(posixError);
}
#endif

constexpr std::string_view kDefaultFile =
    "[setting]\r\n"
    "gyokan=0\r\n"
    "charsize=0\r\n"
    "spaceline=1\r\n"
    "usereturn=0\r\n"
    "useheader=0\r\n"
    "useheadertofile=0\r\n"
    "usedivision=0\r\n"
    "divisionsize=1\r\n"
    "savepath=\r\n"
    "[pagelume]\r\n"
    "encoding=auto\r\n"
    "aozora=0\r\n"
    "ruby=drop\r\nkinsoku=0\r\ntcydigits=0\r\nsavewithoutasking=0\r\n";

Settings LoadFrom(const TempDir& folder, std::string_view bytes) {
    const std::string path = folder.file(kSettingsFileName);
    writeFile(path, bytes);
    return LoadSettings(path).settings;
}

} // namespace

TEST(SettingsLoad, NoFileGivesDefaults) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    const SettingsFileLoad load = LoadSettings(path);
    EXPECT_EQ(load.outcome, SettingsFileLoad::Outcome::Missing);
    EXPECT_EQ(load.settings, Settings{});
    EXPECT_EQ(LoadSettings(path).settings, Settings{});
    EXPECT_EQ(folder.entryCount(), 0u); // loading never creates the file
}

TEST(SettingsLoad, EmptyOrForeignFileGivesDefaults) {
    TempDir folder;
    EXPECT_EQ(LoadFrom(folder, ""), Settings{});
    EXPECT_EQ(LoadFrom(folder, "[other]\r\ngyokan=3\r\n"), Settings{});
    EXPECT_EQ(LoadFrom(folder, "[setting]\r\ngyokan=\r\nspaceline=  \r\n"), Settings{});
}

TEST(SettingsLoad, UnreadableFileToldApartFromMissing) {
    TempDir folder;
    // A folder where the file should be cannot be read on any system, even by root.
    const std::string path = folder.file("as-folder.cfg");
    std::filesystem::create_directory(path);
    const SettingsFileLoad load = LoadSettings(path);
    EXPECT_EQ(load.outcome, SettingsFileLoad::Outcome::Unreadable);
    EXPECT_EQ(load.reason, std::strerror(EISDIR));
    EXPECT_EQ(load.code, files::kIsAFolderCode);
    EXPECT_EQ(load.settings, Settings{});
    EXPECT_EQ(LoadSettings(path).settings, Settings{});
}

TEST(SettingsLoad, ReadsEveryKey) {
    TempDir folder;
    const Settings s = LoadFrom(folder, "[setting]\n"
                                        "gyokan=3\n"
                                        "charsize=1\n"
                                        "spaceline=2\n"
                                        "usereturn=1\n"
                                        "useheader=1\n"
                                        "useheadertofile=1\n"
                                        "usedivision=1\n"
                                        "divisionsize=31\n"
                                        "savepath=/home/\xE6\x97\xA5/out\n");
    const Settings expected{3, 1, 2, true, true, true, true, 31, "/home/\xE6\x97\xA5/out"};
    EXPECT_EQ(s, expected);
}

TEST(SettingsLoad, ChoicesBroughtIntoRange) {
    TempDir folder;
    const struct {
        std::string_view file;
        int gyokan, charsize, spaceline;
    } cases[] = {
        {"[setting]\r\ngyokan=7\r\n", 4, 0, 1},
        {"[setting]\r\ngyokan=5\r\n", 4, 0, 1},
        {"[setting]\r\ngyokan=4\r\n", 4, 0, 1},
        {"[setting]\r\ngyokan=-3\r\n", -1, 0, 1},
        {"[setting]\r\ngyokan=-1\r\n", -1, 0, 1},
        {"[setting]\r\ncharsize=5\r\n", 0, 1, 1},
        {"[setting]\r\ncharsize=-1\r\n", 0, -1, 1},
        {"[setting]\r\nspaceline=3\r\n", 0, 0, 2},
        {"[setting]\r\nspaceline=-9\r\n", 0, 0, -1},
        {"[setting]\r\nspaceline=0\r\n", 0, 0, 0},
        {"[setting]\r\ngyokan=abc\r\n", 0, 0, 1},
        {"[setting]\r\ngyokan=12abc\r\n", 4, 0, 1},
        {"[setting]\r\ngyokan= 3 \r\n", 3, 0, 1},
        {"[setting]\r\ngyokan=+2\r\n", 2, 0, 1},
        {"[setting]\r\ngyokan=-0\r\n", 0, 0, 1},
        {"[setting]\r\nspaceline=abc\r\n", 0, 0, 0}, // not a number reads 0, not the default
    };
    for (const auto& c : cases) {
        const Settings s = LoadFrom(folder, c.file);
        EXPECT_EQ(s.gyokan, c.gyokan) << c.file;
        EXPECT_EQ(s.charsize, c.charsize) << c.file;
        EXPECT_EQ(s.spaceline, c.spaceline) << c.file;
    }
}

TEST(SettingsLoad, DivisionSizeAsInt16ThenHeldWithinLimits) {
    TempDir folder;
    const struct {
        std::string_view value;
        int expected;
    } cases[] = {
        {"0", 1},        {"-5", 1},      {"1", 1},        {"5000", 5000},
        {"5001", 5000},  {"9999", 5000}, {"32767", 5000}, {"32768", 1}, // -32768 as 16 bits
        {"70000", 4464},                                                // 70000 - 65536
        {"65536", 1},    {"65537", 1},   {"70999", 5000}, {"12abc", 12},
        {"abc", 1},      {"", 1},
    };
    for (const auto& c : cases) {
        const Settings s =
            LoadFrom(folder, "[setting]\r\ndivisionsize=" + std::string(c.value) + "\r\n");
        EXPECT_EQ(s.divisionsize, c.expected) << c.value;
    }
}

TEST(SettingsLoad, BooleansOnForAnyNonZero) {
    TempDir folder;
    const Settings s = LoadFrom(folder, "[setting]\r\n"
                                        "usereturn=2\r\n"
                                        "useheader=-1\r\n"
                                        "useheadertofile=x\r\n"
                                        "usedivision=0x1\r\n");
    EXPECT_TRUE(s.usereturn);
    EXPECT_TRUE(s.useheader);
    EXPECT_FALSE(s.useheadertofile);
    EXPECT_FALSE(s.usedivision); // "0x1" reads as its leading 0
}

TEST(SettingsLoad, SectionAndKeysInAnyCase) {
    TempDir folder;
    const Settings s = LoadFrom(folder, "[SETTING]\r\nGyoKan=2\r\nSavePath=/srv\r\n");
    EXPECT_EQ(s.gyokan, 2);
    EXPECT_EQ(s.savepath, "/srv");
}

TEST(SettingsLoad, SavePathCutWithoutSplittingACharacter) {
    TempDir folder;
    const auto load = [&](const std::string& savepath) {
        return LoadFrom(folder, "[setting]\r\nsavepath=" + savepath + "\r\n").savepath;
    };
    const std::string a259(259, 'a');
    EXPECT_EQ(load(a259), a259);
    EXPECT_EQ(load(a259 + "b"), a259);
    // 日 (E6 97 A5) would straddle byte 259: the whole character goes.
    const std::string a257(257, 'a');
    EXPECT_EQ(load(a257 + "\xE6\x97\xA5"), a257);
    EXPECT_EQ(load(std::string(256, 'a') + "\xE6\x97\xA5x"),
              std::string(256, 'a') + "\xE6\x97\xA5");
    // 😀 (F0 9F 98 80) starting at byte 256 would end at byte 260.
    EXPECT_EQ(load(std::string(256, 'a') + "\xF0\x9F\x98\x80"), std::string(256, 'a'));
    // Shift_JIS bytes are not UTF-8: each counts alone, so the cut is at 259 exactly.
    std::string sjis;
    for (int i = 0; i < 140; ++i)
        sjis += "\x93\xFA"; // 日
    EXPECT_EQ(load(sjis), sjis.substr(0, 259));
}

TEST(Utf8Prefix, LongestWholePrefixOfRandomText) {
    // Each piece with the offsets inside it where a cut is allowed. Ill-formed bytes stand alone:
    // E6 97 is a 3-byte lead cut short, followed here by an ASCII byte.
    const struct {
        std::string_view bytes;
        std::vector<std::size_t> cuts;
    } pieces[] = {
        {"a", {}},
        {"\xC3\xA9", {}},
        {"\xE6\x97\xA5", {}},
        {"\xF0\x9F\x98\x80", {}},
        {"\xFF", {}},
        {"\x80", {}},
        {"\x93\xFA", {1}},
        {"\xE6\x97"
         "a",
         {1, 2}},
        {"\xED\xA0\x80", {1, 2}}, // a surrogate is not a character
        {"\xC0\xAF", {1}},        // nor an overlong slash
    };
    std::mt19937 random(20240601);
    for (int round = 0; round < 1000; ++round) {
        std::string text;
        std::vector<std::size_t> boundaries{0};
        const std::size_t count = random() % 100;
        for (std::size_t i = 0; i < count; ++i) {
            const auto& piece = pieces[random() % std::size(pieces)];
            for (const std::size_t cut : piece.cuts)
                boundaries.push_back(text.size() + cut);
            text += piece.bytes;
            boundaries.push_back(text.size());
        }
        const std::size_t limit = random() % 300;
        std::size_t expected = 0;
        for (const std::size_t b : boundaries) {
            if (b <= limit)
                expected = std::max(expected, b);
        }
        EXPECT_EQ(Utf8PrefixWithin(text, limit).size(), expected) << "round " << round;
    }
}

TEST(SettingsSave, DefaultsWriteTheExactFile) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    const WriteStatus status = SaveSettings(Settings{}, path);
    ASSERT_TRUE(status.ok) << status.reason;
    EXPECT_EQ(readFile(path), kDefaultFile);
    EXPECT_EQ(folder.entryCount(), 1u); // no temporary left behind
    ASSERT_TRUE(SaveSettings(Settings{}, path).ok);
    EXPECT_EQ(readFile(path), kDefaultFile);
}

TEST(SettingsSave, ValuesWrittenAsLoaded) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    writeFile(path, "[setting]\r\nusereturn=2\r\nuseheader=0\r\nuseheadertofile=1\r\n"
                    "gyokan=-3\r\n");
    const Settings loaded = LoadSettings(path).settings;
    EXPECT_TRUE(loaded.usereturn);
    EXPECT_FALSE(loaded.useheader);
    EXPECT_TRUE(loaded.useheadertofile); // kept while useheader is off
    EXPECT_EQ(loaded.gyokan, -1);
    ASSERT_TRUE(SaveSettings(loaded, path).ok);
    // Existing keys stay where they stood; the missing ones follow in table order.
    EXPECT_EQ(readFile(path), "[setting]\r\n"
                              "usereturn=1\r\n"
                              "useheader=0\r\n"
                              "useheadertofile=1\r\n"
                              "gyokan=-1\r\n"
                              "charsize=0\r\n"
                              "spaceline=1\r\n"
                              "usedivision=0\r\n"
                              "divisionsize=1\r\n"
                              "savepath=\r\n"
                              "[pagelume]\r\n"
                              "encoding=auto\r\n"
                              "aozora=0\r\n"
                              "ruby=drop\r\nkinsoku=0\r\ntcydigits=0\r\nsavewithoutasking=0\r\n");
}

TEST(SettingsSave, OtherSectionsAndKeysKeptInOrder) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    writeFile(path, "[window]\nleft=10\ntop=20\n\n"
                    "[setting]\ndivisionsize=9999\nnote=mine\ngyokan=2\n\n"
                    "[recent]\nfile1=/a.txt\n");
    Settings s = LoadSettings(path).settings;
    EXPECT_EQ(s.divisionsize, 5000);
    s.gyokan = 4;
    s.savepath = "/out";
    ASSERT_TRUE(SaveSettings(s, path).ok);
    EXPECT_EQ(
        readFile(path),
        "[window]\r\nleft=10\r\ntop=20\r\n\r\n"
        "[setting]\r\n"
        "divisionsize=5000\r\n"
        "note=mine\r\n"
        "gyokan=4\r\n"
        "charsize=0\r\n"
        "spaceline=1\r\n"
        "usereturn=0\r\n"
        "useheader=0\r\n"
        "useheadertofile=0\r\n"
        "usedivision=0\r\n"
        "savepath=/out\r\n"
        "\r\n"
        "[recent]\r\nfile1=/a.txt\r\n"
        "[pagelume]\r\nencoding=auto\r\naozora=0\r\nruby=drop\r\nkinsoku=0\r\ntcydigits=0\r\nsavewithoutasking=0\r\n");
}

TEST(SettingsLoad, OwnKeysComeFromTheirOwnSection) {
    TempDir folder;
    // In section "setting" they are not ours; unknown encodings read as automatic.
    EXPECT_EQ(LoadFrom(folder, "[setting]\nencoding=utf-8\naozora=1\nruby=paren\n"), Settings{});
    const Settings s =
        LoadFrom(folder, "[pagelume]\r\nencoding=euc-jp\r\naozora=2\r\nruby=paren\r\n"
                         "kinsoku=1\r\ntcydigits=x\r\n");
    EXPECT_EQ(s.encoding, engine::Encoding::EucJp);
    EXPECT_TRUE(s.aozora);
    EXPECT_TRUE(s.kinsoku);
    EXPECT_FALSE(s.tcyDigits);
    EXPECT_TRUE(s.rubyInParentheses);
    EXPECT_EQ(LoadFrom(folder, "[pagelume]\nencoding=latin-1\naozora=no\nruby=x\n"), Settings{});
}

TEST(SettingsSave, RandomSettingsRoundTrip) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        Settings s;
        s.gyokan = static_cast<int>(random() % 6) - 1;
        s.charsize = static_cast<int>(random() % 3) - 1;
        s.spaceline = static_cast<int>(random() % 4) - 1;
        s.usereturn = random() % 2;
        s.useheader = random() % 2;
        s.useheadertofile = random() % 2;
        s.usedivision = random() % 2;
        s.divisionsize = static_cast<int>(random() % 5000) + 1;
        s.savepath = "/home/\xE3\x81\x82" + std::to_string(random());
        s.encoding =
            engine::kEncodingChoices[random() % std::size(engine::kEncodingChoices)].encoding;
        s.aozora = random() % 2;
        s.rubyInParentheses = random() % 2;
        s.kinsoku = random() % 2;
        s.tcyDigits = random() % 2;
        s.saveWithoutAsking = random() % 2;
        ASSERT_TRUE(SaveSettings(s, path).ok);
        EXPECT_EQ(LoadSettings(path).settings, s) << "round " << round;
    }
}

TEST(SettingsSave, SavePathWithLineBreakRefusedFileKept) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    writeFile(path, kDefaultFile);
    Settings s;
    s.gyokan = 3;
    s.savepath = "/evil\r\ngyokan=4";
    const WriteStatus status = SaveSettings(s, path);
    EXPECT_FALSE(status.ok);
    EXPECT_FALSE(status.reason.empty());
    EXPECT_EQ(status.code, engine::kUnstorableValueCode);
    EXPECT_EQ(readFile(path), kDefaultFile); // not even gyokan was written
}

TEST(SettingsSave, MissingFolderReportsFailure) {
    TempDir folder;
    const std::string path = folder.file("gone/pglm201.cfg");
    const WriteStatus status = SaveSettings(Settings{}, path);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.reason, systemText(ENOENT, 3)); // ERROR_PATH_NOT_FOUND
    EXPECT_EQ(folder.entryCount(), 0u);
}

TEST(SettingsSave, ReadOnlyFolderReportsFailureAndKeepsFile) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    const std::string old = "[setting]\r\ngyokan=2\r\n";
    writeFile(path, old);
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_exec);
    if (!permissionsAreEnforced(folder.path()))
        GTEST_SKIP() << "permissions are not enforced for this user";
    const WriteStatus status = SaveSettings(Settings{}, path);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.reason, std::strerror(EACCES));
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(SettingsSave, ReadOnlyFileReportsFailureAndStaysAsItWas) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    const std::string old = "[setting]\r\ngyokan=2\r\n";
    writeFile(path, old);
    ::chmod(path.c_str(), 0444);
    if (::access(path.c_str(), W_OK) == 0)
        GTEST_SKIP() << "permissions are not enforced for this user";
    const WriteStatus status = SaveSettings(Settings{}, path);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.reason, systemText(EACCES, 5)); // ERROR_ACCESS_DENIED
    EXPECT_EQ(readFile(path), old);
}

TEST(SettingsSave, UnreadableFileIsNotOverwritten) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    std::filesystem::create_directory(path);
    const WriteStatus status = SaveSettings(Settings{}, path);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.reason, std::strerror(EISDIR));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(folder.entryCount(), 1u);
}

// Nothing near kMaxSettingsFileBytes is a settings file; a larger one is neither read (the whole
// of /dev/zero would be) nor replaced by a file of our few keys.
TEST(SettingsSave, TooLargeFileIsReportedAndKept) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    const std::string start = "[setting]\r\ngyokan=3\r\n[other]\r\npad=";
    std::string bytes = start + std::string(kMaxSettingsFileBytes - start.size(), 'x');
    writeFile(path, bytes);
    SettingsFileLoad load = LoadSettings(path);
    EXPECT_EQ(load.outcome, SettingsFileLoad::Outcome::Read);
    EXPECT_EQ(load.settings.gyokan, 3);

    bytes += 'x';
    writeFile(path, bytes);
    load = LoadSettings(path);
    EXPECT_EQ(load.outcome, SettingsFileLoad::Outcome::Unreadable);
    EXPECT_EQ(load.reason, "larger than 1048576 bytes");
    EXPECT_EQ(load.code, files::kTooLargeCode);
    EXPECT_EQ(load.settings, Settings{});
    EXPECT_EQ(LoadPagelumeKeys(path, {"pad"}), (PagelumeKeys{{"pad", ""}}));

    const WriteStatus status = SaveSettings(Settings{}, path);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.reason, "larger than 1048576 bytes");
    EXPECT_EQ(status.code, files::kTooLargeCode);
    EXPECT_FALSE(SavePagelumeKeys({{"window", "1"}}, path).ok);
    EXPECT_EQ(readFile(path), bytes);
    EXPECT_EQ(folder.entryCount(), 1u);
}

#ifndef _WIN32
// Opening a FIFO for reading waits for a writer: the window would never appear.
TEST(SettingsLoad, FifoOrDeviceIsReportedWithoutWaiting) {
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    ASSERT_TRUE(makeFifo(path));
    const std::optional<SettingsFileLoad> load =
        resultWithoutWaiting(path, [&] { return LoadSettings(path); });
    ASSERT_TRUE(load) << "LoadSettings waited on a FIFO";
    EXPECT_EQ(load->outcome, SettingsFileLoad::Outcome::Unreadable);
    EXPECT_EQ(load->reason, "not a regular file");
    EXPECT_EQ(load->code, engine::kNotARegularFileCode);
    EXPECT_EQ(load->settings, Settings{});
    const std::optional<WriteStatus> status =
        resultWithoutWaiting(path, [&] { return SaveSettings(Settings{}, path); });
    ASSERT_TRUE(status) << "SaveSettings waited on a FIFO";
    EXPECT_FALSE(status->ok);
    EXPECT_EQ(status->reason, "not a regular file");
    EXPECT_EQ(status->code, engine::kNotARegularFileCode);
    EXPECT_TRUE(resultWithoutWaiting(path, [&] { return LoadPagelumeKeys(path, {"window"}); }));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    std::filesystem::remove(path);
    std::filesystem::create_symlink("/dev/zero", path);
    const SettingsFileLoad device = LoadSettings(path);
    EXPECT_EQ(device.outcome, SettingsFileLoad::Outcome::Unreadable);
    EXPECT_EQ(device.reason, "not a regular file");
}
#endif

TEST(SettingsSave, KeepsTheFilePermissions) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows files have no permission bits beyond read-only; access rights are "
                    "ACLs, which a new file inherits from its folder";
#endif
    TempDir folder;
    const std::string path = folder.file(kSettingsFileName);
    writeFile(path, "");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(SaveSettings(Settings{}, path).ok);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(readFile(path), kDefaultFile);
}

#include "platform/wine_registry.h"

#include "support/fifo.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

using testing_support::TempDir;

namespace {

namespace fs = std::filesystem;
using platform::RegistryString;
using platform::RegistryStringStatus;

constexpr std::string_view kHeader = "WINE REGISTRY Version 2\n"
                                     ";; All keys relative to \\\\User\\\\S-1-5-21-1-2-3-1000\n"
                                     "\n"
                                     "#arch=win64\n"
                                     "\n";

// A user.reg with the infoCarry Manager key holding `values` (lines as Wine writes them).
std::string userReg(std::string_view values) {
    return std::string(kHeader) +
           "[Software\\\\Sony Corporation\\\\infoCarry\\\\infoCarry Manager] 1700000000\n"
           "#time=1da1b2c3d4e5f60\n" +
           std::string(values) + "\n";
}

RegistryString homePathIn(std::string_view regText) {
    return platform::FindWineRegistryString(regText, platform::kInfoCarryManagerKey,
                                            platform::kHomePathValueName);
}

RegistryString found(std::string value) {
    return {RegistryStringStatus::Found, std::move(value)};
}
const RegistryString kAbsent{};
const RegistryString kNotAString{RegistryStringStatus::NotAString, {}};

TEST(FindWineRegistryString, PlainAndExpandableStrings) {
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"="C:\\Users\\me\\infoCarry")")),
              found("C:\\Users\\me\\infoCarry"));
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"=str(2):"%USERPROFILE%\\infoCarry")")),
              found("%USERPROFILE%\\infoCarry")); // taken as it is, not expanded
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"="")")), found(""));
}

TEST(FindWineRegistryString, UndoesWineEscapes) {
    struct Case {
        const char* stored; // the data as it stands in user.reg
        std::string expected;
    };
    const Case cases[] = {
        {R"("C:\\a\"b\"")", "C:\\a\"b\""},
        {R"("\n\r\t\a\e")", "\n\r\t\a\x1B"},
        {R"("\101\033x\0778")", "A\x1Bx?8"}, // octal, at most three digits
        {R"("\x41\x7e")", "A~"},
        {R"("\x65e5\x672c")", "日本"},               // UTF-16 code units above 0x7F
        {R"("\xe9t")", "\xC3\xA9t"},                 // é, written short when no hex digit follows
        {R"("\x3042a")", "あa"},                     // four digits at most
        {R"("\xd83d\xde00!")", "\xF0\x9F\x98\x80!"}, // a surrogate pair becomes one character
        {R"("\xd800x\xdc00")", "\xEF\xBF\xBDx\xEF\xBF\xBD"}, // unpaired surrogates
        {R"("\xg")", "xg"},
        {R"("ab\0cd")", "ab"}, // a registry string ends at its first NUL
        {R"("ab\x0000cd")", "ab"},
        {"\"\xC3\xBC\"", "\xC3\xBC"}, // UTF-8 written into the file by hand passes through
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(homePathIn(userReg(std::string("\"HomePath\"=") + c.stored)), found(c.expected));
    }
}

TEST(FindWineRegistryString, OtherTypesAreNotStrings) {
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"=dword:00000001)")), kNotAString);
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"=hex:43,00,3a,00)")), kNotAString);
    EXPECT_EQ(homePathIn(userReg("\"HomePath\"=hex(7):43,00,3a,00,00,00,\\\n"
                                 "  00,00\n")),
              kNotAString);
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"=hex(b):01,00,00,00,00,00,00,00)")), kNotAString);
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"=str(7):"C:\\x")")), kNotAString);
}

// Wine keeps a string whose data is not a clean NUL-ended text as hex bytes of its type.
TEST(FindWineRegistryString, StringTypesStoredAsHexBytes) {
    EXPECT_EQ(homePathIn(userReg("\"HomePath\"=hex(2):43,00,3a,00,5c,00,2c,67,\\\n"
                                 "  00,00,78,00")),
              found("C:\\本"));
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"=hex(1):41,00,42)")), found("A")); // odd byte
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"=hex(1):4g,00)")), kAbsent);
}

TEST(FindWineRegistryString, KeyAndValueNamesIgnoreAsciiCase) {
    const std::string text =
        std::string(kHeader) +
        "[SOFTWARE\\\\sony corporation\\\\INFOCARRY\\\\infocarry MANAGER] 1700000000\n"
        "\"homepath\"=\"C:\\\\ic\"\n";
    EXPECT_EQ(homePathIn(text), found("C:\\ic"));
}

TEST(FindWineRegistryString, OnlyTheKeyItselfCounts) {
    const std::string others = std::string(kHeader) +
                               "[Software\\\\Sony Corporation\\\\infoCarry] 1700000000\n"
                               "\"HomePath\"=\"C:\\\\parent\"\n"
                               "\n"
                               "[Software\\\\Sony Corporation\\\\infoCarry\\\\infoCarry "
                               "Manager\\\\Options] 1700000000\n"
                               "\"HomePath\"=\"C:\\\\child\"\n"
                               "\n"
                               "[Software\\\\Sony Corporation\\\\infoCarry\\\\infoCarry Manager] "
                               "1700000000\n"
                               "\"Version\"=\"2.0\"\n"
                               "\"HomePathOld\"=\"C:\\\\old\"\n"
                               "@=\"C:\\\\default\"\n";
    EXPECT_EQ(homePathIn(others), kAbsent);
    EXPECT_EQ(homePathIn(others + "\"HomePath\"=\"C:\\\\mine\"\n"
                                  "\n[Software\\\\Wine] 1700000000\n"
                                  "\"HomePath\"=\"C:\\\\wine\"\n"),
              found("C:\\mine"));
}

TEST(FindWineRegistryString, MissingOrMalformedGivesAbsent) {
    EXPECT_EQ(homePathIn(""), kAbsent);
    EXPECT_EQ(homePathIn(kHeader), kAbsent);
    EXPECT_EQ(homePathIn(userReg("")), kAbsent);
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"="C:\\unterminated)")), kAbsent);
    EXPECT_EQ(homePathIn(userReg(R"("HomePath"=C:\\bare)")), kAbsent);
    EXPECT_EQ(homePathIn(userReg(R"("HomePath" "C:\\noequals")")), kAbsent);
    // A value line before any key belongs to no key.
    EXPECT_EQ(homePathIn("\"HomePath\"=\"C:\\\\x\"\n"), kAbsent);
    // A key line that never closes opens no key.
    EXPECT_EQ(homePathIn("[Software\\\\Sony Corporation\\\\infoCarry\\\\infoCarry Manager\n"
                         "\"HomePath\"=\"C:\\\\x\"\n"),
              kAbsent);
}

TEST(FindWineRegistryString, LayoutVariants) {
    // CR LF line ends, no final line break, spaces around "=".
    EXPECT_EQ(homePathIn("[Software\\\\Sony Corporation\\\\infoCarry\\\\infoCarry Manager] 1\r\n"
                         "\"HomePath\" = \"C:\\\\crlf\"\r\n"),
              found("C:\\crlf"));
    EXPECT_EQ(homePathIn("[Software\\\\Sony Corporation\\\\infoCarry\\\\infoCarry Manager] 1\n"
                         "\"HomePath\"=\"C:\\\\last\""),
              found("C:\\last"));
    // The value given twice: the later one counts.
    EXPECT_EQ(homePathIn(userReg("\"HomePath\"=\"C:\\\\first\"\n\"HomePath\"=\"C:\\\\second\"")),
              found("C:\\second"));
    // Hex continuation lines of another value are not values of their own.
    EXPECT_EQ(homePathIn(userReg("\"Blob\"=hex:01,02,\\\n  03,04\n\"HomePath\"=\"C:\\\\after\"")),
              found("C:\\after"));
}

// A Wine prefix is looked into from the POSIX side only, with POSIX paths and the links winecfg
// makes; on Windows (Wine included) the program asks the registry itself, which
// infocarry_home_win_test.cpp tests.
#ifndef _WIN32
TEST(WinePrefixFromEnv, WineprefixThenHome) {
    auto env = [](std::map<std::string, std::string> values) {
        return [values](const char* name) -> std::optional<fs::path> {
            const auto it = values.find(name);
            return it == values.end() ? std::nullopt : std::optional<fs::path>(it->second);
        };
    };
    EXPECT_EQ(platform::WinePrefixFromEnv(env({{"WINEPREFIX", "/srv/wine"}, {"HOME", "/home/me"}})),
              fs::path("/srv/wine"));
    EXPECT_EQ(platform::WinePrefixFromEnv(env({{"HOME", "/home/me"}})), fs::path("/home/me/.wine"));
    EXPECT_EQ(platform::WinePrefixFromEnv(env({{"WINEPREFIX", ""}, {"HOME", "/home/me"}})),
              fs::path("/home/me/.wine"));
    EXPECT_EQ(platform::WinePrefixFromEnv(env({{"WINEPREFIX", "wine"}, {"HOME", "/home/me"}})),
              std::nullopt);
    EXPECT_EQ(platform::WinePrefixFromEnv(env({})), std::nullopt);
    EXPECT_EQ(platform::WinePrefixFromEnv(env({{"HOME", ""}})), std::nullopt);
}

// A Wine prefix in a temporary folder with drive c: linked the way winecfg links it.
class WinePrefix : public testing::Test {
  protected:
    WinePrefix() {
        fs::create_directories(m_temp.path() / "drive_c" / "users" / "me" / "infoCarry");
        fs::create_directories(m_temp.path() / "dosdevices");
        fs::create_directory_symlink("../drive_c", m_temp.path() / "dosdevices" / "c:");
    }

    const fs::path& prefix() const { return m_temp.path(); }
    void writeUserReg(std::string_view values) const { m_temp.write("user.reg", userReg(values)); }
    RegistryString read() const { return platform::ReadInfoCarryHomeFromWine(prefix()); }

    TempDir m_temp;
};

TEST_F(WinePrefix, DrivePathBecomesHostPath) {
    writeUserReg(R"("HomePath"="C:\\users\\me\\infoCarry")");
    EXPECT_EQ(read(), found((prefix() / "drive_c/users/me/infoCarry").string()));

    writeUserReg(R"("HomePath"=str(2):"c:/users/me/")");
    EXPECT_EQ(read(), found((prefix() / "drive_c/users/me").string()));

    writeUserReg(R"("HomePath"="C:")");
    EXPECT_EQ(read(), found((prefix() / "drive_c").string()));
}

TEST_F(WinePrefix, NamesTakeTheSpellingOnDisk) {
    writeUserReg(R"("HomePath"="C:\\Users\\ME\\INFOCARRY\\New Folder")");
    EXPECT_EQ(read(), found((prefix() / "drive_c/users/me/infoCarry/New Folder").string()));
}

TEST_F(WinePrefix, DotDotStopsAtTheDriveRoot) {
    writeUserReg(R"("HomePath"="C:\\users\\..\\..\\..\\users\\.\\me")");
    EXPECT_EQ(read(), found((prefix() / "drive_c/users/me").string()));
}

TEST_F(WinePrefix, NonAsciiNameOnAnotherDrive) {
    fs::create_directories(prefix() / "media");
    fs::create_directory_symlink(prefix() / "media", prefix() / "dosdevices" / "d:");
    writeUserReg(R"("HomePath"="D:\\\x672c")");
    EXPECT_EQ(read(), found((prefix() / "media").string() + "/本"));
}

// A drive entry that is a folder rather than a link serves as the drive's root.
TEST_F(WinePrefix, DriveEntryThatIsAFolder) {
    fs::create_directories(prefix() / "dosdevices" / "e:" / "books");
    writeUserReg(R"("HomePath"="E:\\books")");
    EXPECT_EQ(read(), found((prefix() / "dosdevices/e:/books").string()));
}

TEST_F(WinePrefix, UnmappablePathsGiveAbsent) {
    for (const char* stored : {R"("F:\\infoCarry")", R"("\\\\server\\share")", R"("infoCarry")",
                               R"("")", R"("1:\\x")"}) {
        SCOPED_TRACE(stored);
        writeUserReg(std::string("\"HomePath\"=") + stored);
        EXPECT_EQ(read(), kAbsent);
    }
}

TEST_F(WinePrefix, WrongTypeIsReported) {
    writeUserReg(R"("HomePath"=dword:00000000)");
    EXPECT_EQ(read(), kNotAString);
}

TEST_F(WinePrefix, MissingPiecesGiveAbsent) {
    EXPECT_EQ(read(), kAbsent); // no user.reg
    m_temp.write("user.reg",
                 std::string(kHeader) + "[Software\\\\Wine] 1\n\"HomePath\"=\"C:\\\\\"\n");
    EXPECT_EQ(read(), kAbsent); // no key
    writeUserReg(R"("Other"="C:\\users")");
    EXPECT_EQ(read(), kAbsent); // no value
    EXPECT_EQ(platform::ReadInfoCarryHomeFromWine(prefix() / "no-such-prefix"), kAbsent);
}

// A user.reg is read up to kMaxUserRegBytes: past that it is no registry Wine wrote, and
// reading it would take the memory of the whole start.
TEST_F(WinePrefix, OversizedUserRegGivesAbsent) {
    writeUserReg(R"("HomePath"="C:\\users\\me")");
    const fs::path file = prefix() / "user.reg";
    fs::resize_file(file, platform::kMaxUserRegBytes); // a line of NULs, skipped
    EXPECT_EQ(read(), found((prefix() / "drive_c/users/me").string()));
    fs::resize_file(file, platform::kMaxUserRegBytes + 1);
    EXPECT_EQ(read(), kAbsent);
}

#ifndef _WIN32
TEST_F(WinePrefix, UserRegThatIsNoRegularFileGivesAbsent) {
    const std::string file = (prefix() / "user.reg").string();
    ASSERT_TRUE(testing_support::makeFifo(file));
    EXPECT_EQ(testing_support::resultWithoutWaiting(file, [&] { return read(); }),
              std::optional<RegistryString>(kAbsent));
    fs::remove(file);
    fs::create_symlink("/dev/zero", file);
    EXPECT_EQ(read(), kAbsent);
}
#endif

// The process-level reader finds the prefix through WINEPREFIX.
TEST_F(WinePrefix, ReadInfoCarryHomeUsesWineprefix) {
    writeUserReg(R"("HomePath"="C:\\users\\me\\infoCarry")");
    const char* saved = std::getenv("WINEPREFIX");
    const std::optional<std::string> previous =
        saved ? std::optional<std::string>(saved) : std::nullopt;
    setenv("WINEPREFIX", prefix().c_str(), 1);
    const RegistryString home = platform::ReadInfoCarryHome();
    setenv("WINEPREFIX", (prefix() / "elsewhere").c_str(), 1);
    const RegistryString elsewhere = platform::ReadInfoCarryHome();
    if (previous)
        setenv("WINEPREFIX", previous->c_str(), 1);
    else
        unsetenv("WINEPREFIX");
    EXPECT_EQ(home, found((prefix() / "drive_c/users/me/infoCarry").string()));
    EXPECT_EQ(elsewhere, kAbsent);
}

TEST(HostPathFromWinePath, RootDriveLinkedToSlash) {
    TempDir temp;
    fs::create_directories(temp.path() / "dosdevices");
    fs::create_directory_symlink("/", temp.path() / "dosdevices" / "z:");
    EXPECT_EQ(platform::HostPathFromWinePath(temp.path(), "Z:\\tmp"), fs::path("/tmp"));
    EXPECT_EQ(platform::HostPathFromWinePath(temp.path(), "z:"), fs::path("/"));
    EXPECT_EQ(platform::HostPathFromWinePath(temp.path(), "Y:\\tmp"), std::nullopt);
}
#endif

} // namespace

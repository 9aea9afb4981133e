#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace cli {
namespace {

using Strings = std::vector<std::string>;

TEST(CommandLine, ValuesMayFollowOrBeAttached) {
    for (const Strings& args :
         {Strings{"--split", "5", "--output", "o.txt", "--line-spacing", "3", "s.txt"},
          Strings{"--split=5", "--output=o.txt", "--line-spacing=3", "s.txt"},
          Strings{"--split=+5", "-oo.txt", "--line-spacing", "3", "s.txt"}}) {
        const ParsedCommandLine parsed = ParseCommandLine(args);
        ASSERT_TRUE(parsed.ok()) << parsed.usageError;
        EXPECT_EQ(parsed.options.split, 5);
        EXPECT_EQ(parsed.options.output, "o.txt");
        EXPECT_EQ(parsed.options.lineSpacing, 3);
        EXPECT_EQ(parsed.options.sources, Strings{"s.txt"});
    }
}

TEST(CommandLine, OptionsMayFollowSourcesUntilDoubleDash) {
    const ParsedCommandLine parsed =
        ParseCommandLine({"a.txt", "--verse", "-", "--", "--header", "-f"});
    ASSERT_TRUE(parsed.ok()) << parsed.usageError;
    EXPECT_TRUE(parsed.options.verse);
    EXPECT_FALSE(parsed.options.header);
    EXPECT_FALSE(parsed.options.force);
    EXPECT_EQ(parsed.options.sources, (Strings{"a.txt", "-", "--header", "-f"}));
}

TEST(CommandLine, FlagsAndTheirDefaults) {
    const ParsedCommandLine none = ParseCommandLine({"a.txt"});
    ASSERT_TRUE(none.ok());
    EXPECT_FALSE(none.options.lineSpacing || none.options.charSize || none.options.blankColumn ||
                 none.options.split || none.options.settingsFile || none.options.output ||
                 none.options.outputDir);
    EXPECT_FALSE(none.options.verse || none.options.header || none.options.headerName ||
                 none.options.force);

    const ParsedCommandLine all =
        ParseCommandLine({"--verse", "--header", "--header-name", "-f", "-d", "out", "--settings",
                          "p.cfg", "--char-size", "1", "--blank-column", "0", "a.txt", "b.txt"});
    ASSERT_TRUE(all.ok()) << all.usageError;
    EXPECT_TRUE(all.options.verse && all.options.header && all.options.headerName &&
                all.options.force);
    EXPECT_EQ(all.options.outputDir, "out");
    EXPECT_EQ(all.options.settingsFile, "p.cfg");
    EXPECT_EQ(all.options.charSize, 1);
    EXPECT_EQ(all.options.blankColumn, 0);
    EXPECT_EQ(all.options.sources, (Strings{"a.txt", "b.txt"}));
}

TEST(CommandLine, RangeLimitsAreInclusive) {
    EXPECT_TRUE(ParseCommandLine({"--split", "1", "a"}).ok());
    EXPECT_TRUE(ParseCommandLine({"--split", "5000", "a"}).ok());
    EXPECT_TRUE(
        ParseCommandLine({"--line-spacing", "4", "--blank-column", "2", "--char-size", "0", "a"})
            .ok());
    EXPECT_FALSE(ParseCommandLine({"--split", " 5", "a"}).ok());
    EXPECT_FALSE(ParseCommandLine({"--split", "5 ", "a"}).ok());
    EXPECT_FALSE(ParseCommandLine({"--split", "+", "a"}).ok());
    EXPECT_EQ(ParseCommandLine({"-j4", "a"}).options.jobs, 4);
    EXPECT_TRUE(ParseCommandLine({"--jobs", "256", "a"}).ok());
    EXPECT_EQ(ParseCommandLine({"-j", "0", "a"}).usageError,
              "--jobs takes a number from 1 to 256, not '0'");
}

TEST(CommandLine, HelpAndVersionNeedNoSource) {
    EXPECT_EQ(ParseCommandLine({"--help"}).options.action, ConvertOptions::Action::Help);
    EXPECT_EQ(ParseCommandLine({"a.txt", "-h"}).options.action, ConvertOptions::Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).options.action, ConvertOptions::Action::Version);
    EXPECT_TRUE(ParseCommandLine({"--version"}).ok());
    // An error before them is still an error.
    EXPECT_FALSE(ParseCommandLine({"--split", "0", "--help"}).ok());
}

} // namespace
} // namespace cli

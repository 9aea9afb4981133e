#include "cli_fixture.h"
#ifdef _WIN32
#include "files/system_text_win.h"
#endif

#include <algorithm>
#include <cstdlib>

namespace cli_test {
namespace {

// Shift_JIS
const std::string kYama = "\x8E\x52";  // 山
const std::string kMichi = "\x93\xB9"; // 道
const std::string kCho = "\x92\x98";   // 著
const std::string kHon = "\x96\x7B";   // 本
const std::string kBun = "\x95\xB6";   // 文
const std::string kA = "\x82\xA0";     // あ
const std::string kI = "\x82\xA2";     // い
const std::string kU = "\x82\xA4";     // う
const std::string kSpace = "\x81\x40"; // 　
const std::string kMaru = "\x20\xDF";  // 。 as the layout writes it
// 山の道 / 著者名 / 本文。
const std::string kHeadedText = "\x8E\x52\x82\xCC\x93\xB9\r\n\x92\x98\x8E\xD2\x96\xBC\r\n"
                                "\x96\x7B\x95\xB6\x81\x42";

// 700 cells: three pages of 23 rows by 13 columns with the default settings.
const std::string kLongText = kanaText(700);

// Row `row` (0-based) of page `page` (0-based) of an output with `rows` rows a page.
std::string rowOf(const std::string& output, int page, int row, int rows) {
    const std::size_t offset =
        static_cast<std::size_t>(page) * (2 + 42 * static_cast<std::size_t>(rows)) + 2 +
        42 * static_cast<std::size_t>(row);
    return output.size() < offset + 42 ? std::string() : output.substr(offset, 42);
}

std::vector<std::string> repeated(const std::string& cell, int count) {
    return std::vector<std::string>(static_cast<std::size_t>(count), cell);
}

// --- Defaults and the layout options -------------------------------------------------------

TEST_F(ConvertCommandTest, DefaultsWriteTheSourceNameIntoTheWorkingFolder) {
    write("src/tale.txt", kLongText);
    const CommandResult result = run({"src/tale.txt"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    const std::string output = read("tale.txt");
    ASSERT_EQ(output.size(), outputSize(3, 23));
    EXPECT_EQ(output.substr(0, 2), "\r\n");
    EXPECT_EQ(rowOf(output, 0, 0, 23), oneByteBlankRow(kanaColumnsOfRow(0, 23, 13)));
    EXPECT_EQ(rowOf(output, 0, 22, 23), oneByteBlankRow(kanaColumnsOfRow(22, 23, 13)));
    // Page 3 starts at cell 598: five columns reach row 9, four reach row 10.
    EXPECT_EQ(output.substr(outputSize(2, 23) - 2, 2), "\r\n");
    EXPECT_EQ(rowOf(output, 2, 9, 23), oneByteBlankRow({kanaCell(607), kanaCell(630), kanaCell(653),
                                                        kanaCell(676), kanaCell(699)}));
    EXPECT_EQ(rowOf(output, 2, 10, 23),
              oneByteBlankRow({kanaCell(608), kanaCell(631), kanaCell(654), kanaCell(677)}));
    EXPECT_EQ(output.substr(output.size() - 2), "\r\n");
    EXPECT_EQ(listing(), (std::vector<std::string>{"src", "src/tale.txt", "tale.txt"}));
}

struct GeometryCase {
    std::vector<std::string> options;
    int rows;
};

TEST_F(ConvertCommandTest, LineSpacingAndCharSizeChooseTheRowsOfAPage) {
    const GeometryCase cases[] = {
        {{"--line-spacing", "0", "--char-size", "0"}, 23},
        {{"--line-spacing", "0", "--char-size", "1"}, 10},
        {{"--line-spacing", "1"}, 19},
        {{"--line-spacing", "1", "--char-size", "1"}, 9},
        {{"--line-spacing", "2"}, 16},
        {{"--line-spacing=2", "--char-size=1"}, 8},
        {{"--line-spacing", "3"}, 14},
        {{"--line-spacing", "3", "--char-size", "1"}, 7},
        {{"--line-spacing", "4"}, 11},
        {{"--line-spacing", "4", "--char-size", "1"}, 11},
    };
    write("tale.txt", kLongText);
    for (const GeometryCase& c : cases) {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"-f", "-o", "out.txt", "tale.txt"});
        const CommandResult result = run(args);
        SCOPED_TRACE(c.rows);
        ASSERT_EQ(result.status, 0) << result.err;
        const std::string output = read("out.txt");
        // A text that fills its last page exactly still gets the blank page the end is found on.
        const int pages = 700 / (13 * c.rows) + 1;
        EXPECT_EQ(output.size(), outputSize(pages, c.rows));
        EXPECT_EQ(rowOf(output, 0, 0, c.rows), oneByteBlankRow(kanaColumnsOfRow(0, c.rows, 13)));
        EXPECT_EQ(rowOf(output, 0, c.rows - 1, c.rows),
                  oneByteBlankRow(kanaColumnsOfRow(c.rows - 1, c.rows, 13)));
    }
}

TEST_F(ConvertCommandTest, BlankColumnChoosesTheColumnsOfARow) {
    write("tale.txt", kLongText);

    ASSERT_EQ(run({"--blank-column", "2", "-o", "packed.txt", "tale.txt"}).status, 0);
    const std::string packed = read("packed.txt");
    EXPECT_EQ(packed.size(), outputSize(2, 23)); // 20 columns a page
    EXPECT_EQ(rowOf(packed, 0, 0, 23), packedRow(kanaColumnsOfRow(0, 23, 20)));

    ASSERT_EQ(run({"--blank-column=0", "-o", "wide.txt", "tale.txt"}).status, 0);
    const std::string wide = read("wide.txt");
    EXPECT_EQ(wide.size(), outputSize(4, 23)); // 10 columns a page
    EXPECT_EQ(rowOf(wide, 0, 0, 23), twoByteBlankRow(kanaColumnsOfRow(0, 23, 10)));

    ASSERT_EQ(run({"--line-spacing", "3", "--char-size", "1", "--blank-column", "2", "-o",
                   "small.txt", "tale.txt"})
                  .status,
              0);
    const std::string small = read("small.txt");
    EXPECT_EQ(small.size(), outputSize(700 / 140 + 1, 7));
    EXPECT_EQ(rowOf(small, 0, 6, 7), packedRow(kanaColumnsOfRow(6, 7, 20)));
}

TEST_F(ConvertCommandTest, VerseStartsEveryLineInANewColumnAndProseRunsOn) {
    write("poem.txt", kA + kI + "\r\n" + kU);

    ASSERT_EQ(run({"-o", "prose.txt", "poem.txt"}).status, 0);
    const std::string prose = read("prose.txt");
    ASSERT_EQ(prose.size(), outputSize(1, 23));
    EXPECT_EQ(rowOf(prose, 0, 0, 23), oneByteBlankRow({kA}));
    EXPECT_EQ(rowOf(prose, 0, 1, 23), oneByteBlankRow({kI}));
    EXPECT_EQ(rowOf(prose, 0, 2, 23), oneByteBlankRow({kU}));
    EXPECT_EQ(rowOf(prose, 0, 3, 23), oneByteBlankRow({}));

    ASSERT_EQ(run({"--verse", "-o", "verse.txt", "poem.txt"}).status, 0);
    const std::string verse = read("verse.txt");
    ASSERT_EQ(verse.size(), outputSize(1, 23));
    EXPECT_EQ(rowOf(verse, 0, 0, 23), oneByteBlankRow({kA, kU}));
    EXPECT_EQ(rowOf(verse, 0, 1, 23), oneByteBlankRow({kI}));
    EXPECT_EQ(rowOf(verse, 0, 2, 23), oneByteBlankRow({kSpace}));
    EXPECT_EQ(rowOf(verse, 0, 22, 23), oneByteBlankRow({kSpace}));
}

// --- Title and author -----------------------------------------------------------------------

// The title page: three empty columns, the title in column 4 from row 2, an empty column, the
// author in column 6 from row 7, empty columns to the end of the page; the body on page 2.
void expectTitlePage(const std::string& output) {
    ASSERT_EQ(output.size(), outputSize(2, 23));
    std::vector<std::string> row2 = repeated(kSpace, 13);
    row2[3] = kYama;
    EXPECT_EQ(rowOf(output, 0, 2, 23), oneByteBlankRow(row2));
    std::vector<std::string> row4 = repeated(kSpace, 13);
    row4[3] = kMichi;
    EXPECT_EQ(rowOf(output, 0, 4, 23), oneByteBlankRow(row4));
    std::vector<std::string> row7 = repeated(kSpace, 13);
    row7[5] = kCho;
    EXPECT_EQ(rowOf(output, 0, 7, 23), oneByteBlankRow(row7));
    EXPECT_EQ(rowOf(output, 1, 0, 23), oneByteBlankRow({kHon}));
    EXPECT_EQ(rowOf(output, 1, 1, 23), oneByteBlankRow({kBun}));
    EXPECT_EQ(rowOf(output, 1, 2, 23), oneByteBlankRow({kMaru}));
}

TEST_F(ConvertCommandTest, HeaderPutsTitleAndAuthorOnATitlePage) {
    write("src/tale.txt", kHeadedText);
    const CommandResult result = run({"--header", "src/tale.txt"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    expectTitlePage(read("tale.txt"));
}

TEST_F(ConvertCommandTest, HeaderNameNamesTheOutputAfterTitleAndAuthor) {
    write("src/tale.txt", kHeadedText);
    const CommandResult result = run({"--header", "--header-name", "src/tale.txt"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    expectTitlePage(read("山の道[著者名].txt"));
    EXPECT_FALSE(exists("tale.txt"));

    std::filesystem::create_directory(path("out"));
    ASSERT_EQ(run({"--header", "--header-name", "-d", "out", "src/tale.txt"}).status, 0);
    expectTitlePage(read("out/山の道[著者名].txt"));
}

TEST_F(ConvertCommandTest, HeaderNameAlwaysAddsTxtAndNeverLeavesTheFolder) {
    // Vol.2 / 著者 / 本文: the "." of the title is no extension.
    write("a.txt", "Vol.2\r\n" + kCho + "\x8E\xD2\r\n" + kHon);
    // a/b / 著者 / 本文: the slash becomes the full-width "／".
    write("b.txt", "a/b\r\n" + kCho + "\x8E\xD2\r\n" + kHon);
    const CommandResult result = run({"--header", "--header-name", "a.txt", "b.txt"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(listing(),
              (std::vector<std::string>{"Vol.2[著者].txt", "a.txt", "a／b[著者].txt", "b.txt"}));
}

TEST_F(ConvertCommandTest, HeaderNameWithoutHeaderKeepsTheSourceName) {
    write("src/tale.txt", kHeadedText);
    ASSERT_EQ(run({"--header-name", "src/tale.txt"}).status, 0);
    const std::string output = read("tale.txt");
    ASSERT_EQ(output.size(), outputSize(1, 23));
    EXPECT_EQ(rowOf(output, 0, 0, 23), oneByteBlankRow({kYama}));
    EXPECT_EQ(rowOf(output, 0, 6, 23), oneByteBlankRow({kHon}));
}

// --- Split output ---------------------------------------------------------------------------

TEST_F(ConvertCommandTest, SplitNumbersTheFilesFromOne) {
    write("src/tale.txt", kLongText);
    const CommandResult result = run({"--split", "1", "src/tale.txt"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(listing(), (std::vector<std::string>{"src", "src/tale.txt", "tale_1.txt",
                                                   "tale_2.txt", "tale_3.txt"}));
    EXPECT_EQ(read("tale_1.txt").size(), outputSize(1, 23));
    EXPECT_EQ(
        rowOf(read("tale_2.txt"), 0, 0, 23),
        oneByteBlankRow({kanaCell(299), kanaCell(322), kanaCell(345), kanaCell(368), kanaCell(391),
                         kanaCell(414), kanaCell(437), kanaCell(460), kanaCell(483), kanaCell(506),
                         kanaCell(529), kanaCell(552), kanaCell(575)}));
    EXPECT_EQ(rowOf(read("tale_3.txt"), 0, 10, 23),
              oneByteBlankRow({kanaCell(608), kanaCell(631), kanaCell(654), kanaCell(677)}));
}

TEST_F(ConvertCommandTest, SplitNumbersTheFilesWhenThePagesDoNotFitOneFile) {
    // Two pages a file hold more bytes than the text has, yet the text takes three pages.
    write("src/tale.txt", kLongText);
    ASSERT_EQ(run({"--split=2", "src/tale.txt"}).status, 0);
    EXPECT_EQ(listing(),
              (std::vector<std::string>{"src", "src/tale.txt", "tale_1.txt", "tale_2.txt"}));
    EXPECT_EQ(read("tale_1.txt").size(), outputSize(2, 23));
    EXPECT_EQ(read("tale_2.txt").size(), outputSize(1, 23));
}

TEST_F(ConvertCommandTest, SplitThatFitsOneFileKeepsTheName) {
    write("src/tale.txt", kLongText);
    ASSERT_EQ(run({"--split", "3", "src/tale.txt"}).status, 0);
    EXPECT_EQ(listing(), (std::vector<std::string>{"src", "src/tale.txt", "tale.txt"}));
    EXPECT_EQ(read("tale.txt").size(), outputSize(3, 23));
}

TEST_F(ConvertCommandTest, SplitNamesDeriveFromTheOutputPath) {
    write("tale.txt", kLongText);
    std::filesystem::create_directory(path("out"));
    ASSERT_EQ(run({"--split", "2", "-o", "out/book.dat", "tale.txt"}).status, 0);
    EXPECT_EQ(listing(),
              (std::vector<std::string>{"out", "out/book_1.txt", "out/book_2.txt", "tale.txt"}));
}

// --- Where the output goes ------------------------------------------------------------------

TEST_F(ConvertCommandTest, OutputPathIsUsedExactlyAsGiven) {
    write("tale.txt", kLongText);
    ASSERT_EQ(run({"-o", "result", "tale.txt"}).status, 0);
    ASSERT_EQ(run({"--output=result2.text", "tale.txt"}).status, 0);
    EXPECT_EQ(listing(), (std::vector<std::string>{"result", "result2.text", "tale.txt"}));
    EXPECT_EQ(read("result").size(), outputSize(3, 23));
    EXPECT_EQ(read("result"), read("result2.text"));
}

TEST_F(ConvertCommandTest, OutputDashWritesToStandardOutput) {
    write("tale.txt", kLongText);
    ASSERT_EQ(run({"-o", "file.txt", "tale.txt"}).status, 0);
    const CommandResult result = run({"-o", "-", "tale.txt"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, read("file.txt"));
    EXPECT_EQ(listing(), (std::vector<std::string>{"file.txt", "tale.txt"}));
}

TEST_F(ConvertCommandTest, AFailedWriteToStandardOutputIsReported) {
    write("tale.txt", kLongText);
    std::istringstream in;
    std::ostream brokenOut(nullptr); // every write fails
    std::ostringstream err;
    EXPECT_EQ(
        cli::RunConvertCommand({"-o", "-", "tale.txt"}, in, brokenOut, err, m_folder.string()), 1);
    EXPECT_EQ(err.str(), "pagelume-convert: cannot write standard output: Input/output error\n");
}

TEST_F(ConvertCommandTest, AFolderIsNeverReplaced) {
    write("tale.txt", kLongText);
    std::filesystem::create_directory(path("out.txt"));
    const CommandResult result = run({"-f", "-o", "out.txt", "tale.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "pagelume-convert: not converting 'tale.txt': 'out.txt' is a folder\n");
    EXPECT_EQ(listing(), (std::vector<std::string>{"out.txt", "tale.txt"}));
}

TEST_F(ConvertCommandTest, SourceWithoutExtensionGetsTxtLikeTheSaveQuestion) {
    write("src/README", kLongText);
    ASSERT_EQ(run({"src/README"}).status, 0);
    EXPECT_EQ(listing(), (std::vector<std::string>{"README.txt", "src", "src/README"}));
}

TEST_F(ConvertCommandTest, MissingOutputFolderFailsTheSourceAndIsNotCreated) {
    write("tale.txt", kLongText);
    const CommandResult result = run({"-d", "nowhere", "tale.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "pagelume-convert: not converting 'tale.txt': the output folder "
                          "'nowhere' does not exist\n");
    EXPECT_EQ(listing(), (std::vector<std::string>{"tale.txt"}));

    write("plain", "x");
    EXPECT_EQ(run({"-d", "plain", "tale.txt"}).err,
              "pagelume-convert: not converting 'tale.txt': 'plain' is not a folder\n");
}

TEST_F(ConvertCommandTest, OutputIntoAMissingFolderIsAWriteFailure) {
    write("tale.txt", kLongText);
    const CommandResult result = run({"-o", "nowhere/out.txt", "tale.txt"});
    EXPECT_EQ(result.status, 1);
    // Windows has words of its own for it (and a language).
#ifdef _WIN32
    const std::string missingFolder = files::SystemErrorText(ERROR_PATH_NOT_FOUND);
#else
    const std::string missingFolder = "No such file or directory";
#endif
    EXPECT_EQ(result.err,
              "pagelume-convert: cannot write 'nowhere/out.txt': " + missingFolder + "\n");
    EXPECT_EQ(listing(), (std::vector<std::string>{"tale.txt"}));
}

// --- Existing files -------------------------------------------------------------------------

TEST_F(ConvertCommandTest, ExistingOutputIsKeptWithoutForceAndReplacedWithIt) {
    write("src/tale.txt", kLongText);
    write("tale.txt", "earlier bytes");
    const CommandResult refused = run({"src/tale.txt"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "pagelume-convert: not converting 'src/tale.txt': 'tale.txt' already exists "
              "(use --force to replace it)\n");
    EXPECT_EQ(read("tale.txt"), "earlier bytes");
    EXPECT_EQ(listing(), (std::vector<std::string>{"src", "src/tale.txt", "tale.txt"}));

    const CommandResult forced = run({"--force", "src/tale.txt"});
    EXPECT_EQ(forced.status, 0);
    EXPECT_EQ(forced.err, "");
    EXPECT_EQ(read("tale.txt").size(), outputSize(3, 23));
    EXPECT_EQ(listing(), (std::vector<std::string>{"src", "src/tale.txt", "tale.txt"}));
}

TEST_F(ConvertCommandTest, OneExistingSplitFileRefusesTheWholeSource) {
    write("src/tale.txt", kLongText);
    write("tale_3.txt", "earlier bytes");
    const CommandResult refused = run({"--split", "1", "src/tale.txt"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "pagelume-convert: not converting 'src/tale.txt': 'tale_3.txt' already exists "
              "(use --force to replace it)\n");
    EXPECT_EQ(listing(), (std::vector<std::string>{"src", "src/tale.txt", "tale_3.txt"}));
    EXPECT_EQ(read("tale_3.txt"), "earlier bytes");

    EXPECT_EQ(run({"-f", "--split", "1", "src/tale.txt"}).status, 0);
    EXPECT_EQ(read("tale_3.txt").size(), outputSize(1, 23));
}

// The book would be lost to its own pages: refused with or without --force, and the refusal
// does not suggest --force.
TEST_F(ConvertCommandTest, SourceIsNeverItsOwnOutput) {
    write("tale.txt", kA + kI + "\r\n" + kU);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"tale.txt"}, "tale.txt"},
        {{"-f", "tale.txt"}, "tale.txt"},
        {{"-f", "-o", "./tale.txt", "tale.txt"}, "./tale.txt"},
    };
    for (const auto& [args, shown] : cases) {
        const CommandResult refused = run(args);
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, "pagelume-convert: not converting 'tale.txt': '" + shown +
                                   "' is one of the sources being converted, which are never "
                                   "written over\n");
        EXPECT_EQ(read("tale.txt"), kA + kI + "\r\n" + kU);
        EXPECT_EQ(listing(), (std::vector<std::string>{"tale.txt"}));
    }
}

TEST_F(ConvertCommandTest, AnOutputOfThisRunIsNotReplacedEvenWithForce) {
    write("a/tale.txt", kA);
    write("b/tale.txt", kU);
    const CommandResult result = run({"-f", "a/tale.txt", "b/tale.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "pagelume-convert: not converting 'b/tale.txt': 'tale.txt' was already "
                          "written by an earlier source and is not replaced\n");
    EXPECT_EQ(rowOf(read("tale.txt"), 0, 0, 23), oneByteBlankRow({kA}));
}

// --- Several sources ------------------------------------------------------------------------

TEST_F(ConvertCommandTest, AMissingSourceFailsAloneAndTheOthersAreConverted) {
    write("one.txt", kA);
    write("two.txt", kU);
    std::filesystem::create_directory(path("out"));
    for (const bool header : {false, true}) {
        std::vector<std::string> args = {"-f", "-d", "out", "one.txt", "missing.txt", "two.txt"};
        if (header)
            args.insert(args.begin(), "--header");
        std::filesystem::remove_all(path("out/one.txt"));
        std::filesystem::remove_all(path("out/two.txt"));
        const CommandResult result = run(args);
        SCOPED_TRACE(header);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err,
                  "pagelume-convert: cannot read 'missing.txt': No such file or directory\n");
        EXPECT_EQ(listing(), (std::vector<std::string>{"one.txt", "out", "out/one.txt",
                                                       "out/two.txt", "two.txt"}));
        // With --header the one line has no line break, so the empty title page comes first.
        EXPECT_EQ(rowOf(read("out/two.txt"), 0, 0, 23),
                  oneByteBlankRow(header ? repeated(kSpace, 13) : std::vector<std::string>{kU}));
    }
}

TEST_F(ConvertCommandTest, AFolderAsSourceIsAReadFailure) {
    std::filesystem::create_directory(path("folder"));
    const CommandResult result = run({"folder"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "pagelume-convert: cannot read 'folder': Is a directory\n");
}

// --- Settings file --------------------------------------------------------------------------

TEST_F(ConvertCommandTest, SettingsFileValuesAreBroughtIntoRange) {
    write("src/tale.txt", kLongText);
    // gyokan 99 is newspaper mode (11 rows); spaceline "abc" reads as 0, two-byte blank columns;
    // divisionsize 70000 is 4464 pages, so the split output fits one file under its own name.
    write("odd.cfg", "[setting]\r\ngyokan=99\r\ncharsize=-5\r\nspaceline=abc\r\nusedivision=1\r\n"
                     "divisionsize=70000\r\n");
    const CommandResult result = run({"--settings", "odd.cfg", "src/tale.txt"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(listing(), (std::vector<std::string>{"odd.cfg", "src", "src/tale.txt", "tale.txt"}));
    const std::string output = read("tale.txt");
    EXPECT_EQ(output.size(), outputSize(700 / 110 + 1, 11));
    EXPECT_EQ(rowOf(output, 0, 0, 11), twoByteBlankRow(kanaColumnsOfRow(0, 11, 10)));
}

TEST_F(ConvertCommandTest, OptionsOverrideTheSettingsFile) {
    write("src/tale.txt", kLongText);
    write("odd.cfg", "[setting]\r\ngyokan=4\r\nspaceline=0\r\nusedivision=1\r\ndivisionsize=1\r\n");
    // --split sets the pages a file; the line spacing and blank columns come back to the defaults.
    ASSERT_EQ(run({"--line-spacing", "0", "--settings=odd.cfg", "--blank-column", "1", "--split",
                   "3", "src/tale.txt"})
                  .status,
              0);
    EXPECT_EQ(read("tale.txt").size(), outputSize(3, 23));
    EXPECT_EQ(rowOf(read("tale.txt"), 0, 0, 23), oneByteBlankRow(kanaColumnsOfRow(0, 23, 13)));
}

TEST_F(ConvertCommandTest, LineSpacingWithoutAChoiceUsesTheRowsOfNone) {
    write("src/tale.txt", kLongText);
    write("none.cfg", "[setting]\r\ngyokan=-3\r\ncharsize=1\r\n");
    ASSERT_EQ(run({"--settings", "none.cfg", "src/tale.txt"}).status, 0);
    EXPECT_EQ(read("tale.txt").size(), outputSize(700 / 130 + 1, 10));
}

TEST_F(ConvertCommandTest, SettingsFileThatCannotBeReadIsAUsageError) {
    write("tale.txt", kLongText);
    const CommandResult missing = run({"--settings", "none.cfg", "-o", "out.txt", "tale.txt"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, std::string("pagelume-convert: cannot read settings file 'none.cfg': "
                                       "No such file or directory\n") +
                               kTryHelp);

    std::filesystem::create_directory(path("folder.cfg"));
    const CommandResult unreadable = run({"--settings", "folder.cfg", "-o", "out.txt", "tale.txt"});
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_EQ(unreadable.err,
              std::string("pagelume-convert: cannot read settings file 'folder.cfg': "
                          "Is a directory\n") +
                  kTryHelp);
    EXPECT_EQ(listing(), (std::vector<std::string>{"folder.cfg", "tale.txt"}));
}

TEST_F(ConvertCommandTest, SplitFromTheSettingsFileCannotGoToStandardOutput) {
    write("tale.txt", kLongText);
    write("split.cfg", "[setting]\r\nusedivision=1\r\n");
    const CommandResult result = run({"--settings", "split.cfg", "-o", "-", "tale.txt"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              std::string("pagelume-convert: the settings file asks for a split output, which "
                          "cannot go to standard output (-o -)\n") +
                  kTryHelp);
}

// --- Standard input -------------------------------------------------------------------------

class StandardInputTest : public ConvertCommandTest {
  protected:
    // Temporary files go to a folder of this test, so one left behind can be seen.
    StandardInputTest() {
        const char* previous = std::getenv("TMPDIR");
        if (previous)
            m_previousTmpdir = previous;
        m_hadTmpdir = previous != nullptr;
        std::filesystem::create_directory(m_folder / "tmp");
        setVariable("TMPDIR", (m_folder / "tmp").string().c_str());
    }
    ~StandardInputTest() override {
        if (m_hadTmpdir)
            setVariable("TMPDIR", m_previousTmpdir.c_str());
        else
            unsetVariable("TMPDIR");
    }

    // Windows has no setenv; _putenv_s with an empty value removes the variable.
    static void setVariable(const char* name, const char* value) {
#ifdef _WIN32
        _putenv_s(name, value);
#else
        setenv(name, value, 1);
#endif
    }
    static void unsetVariable(const char* name) {
#ifdef _WIN32
        _putenv_s(name, "");
#else
        unsetenv(name);
#endif
    }

    std::string m_previousTmpdir;
    bool m_hadTmpdir = false;
};

TEST_F(StandardInputTest, DashReadsStandardInputIntoStdinTxt) {
    const CommandResult result = run({"-"}, kLongText);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(listing(), (std::vector<std::string>{"stdin.txt", "tmp"}));
    const std::string output = read("stdin.txt");
    EXPECT_EQ(output.size(), outputSize(3, 23));
    EXPECT_EQ(rowOf(output, 0, 0, 23), oneByteBlankRow(kanaColumnsOfRow(0, 23, 13)));
}

TEST_F(StandardInputTest, StandardInputToStandardOutput) {
    write("src/tale.txt", kHeadedText);
    ASSERT_EQ(run({"--header", "-o", "file.txt", "src/tale.txt"}).status, 0);
    const CommandResult result = run({"--header", "-o", "-", "--", "-"}, kHeadedText);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, read("file.txt"));
    EXPECT_EQ(listing(), (std::vector<std::string>{"file.txt", "src", "src/tale.txt", "tmp"}));
}

TEST_F(StandardInputTest, StandardInputNamedAfterItsTitle) {
    const CommandResult result = run({"--header", "--header-name", "-"}, kHeadedText);
    EXPECT_EQ(result.status, 0);
    expectTitlePage(read("山の道[著者名].txt"));
    EXPECT_EQ(listing(), (std::vector<std::string>{"tmp", "山の道[著者名].txt"}));
}

TEST_F(StandardInputTest, ExistingStdinTxtIsKept) {
    write("stdin.txt", "earlier bytes");
    const CommandResult result = run({"-"}, kLongText);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "pagelume-convert: not converting standard input: 'stdin.txt' already exists "
              "(use --force to replace it)\n");
    EXPECT_EQ(read("stdin.txt"), "earlier bytes");
    EXPECT_EQ(listing(), (std::vector<std::string>{"stdin.txt", "tmp"}));
}

// --- Usage ----------------------------------------------------------------------------------

struct UsageCase {
    std::vector<std::string> args;
    std::string message;
};

TEST_F(ConvertCommandTest, UsageErrorsExitWithTwoBeforeAnythingIsConverted) {
    const UsageCase cases[] = {
        {{"tale.txt", "--line-spacing", "5"}, "--line-spacing takes a number from 0 to 4, not '5'"},
        {{"--line-spacing", "-1", "tale.txt"},
         "--line-spacing takes a number from 0 to 4, not '-1'"},
        {{"--char-size=2", "tale.txt"}, "--char-size takes a number from 0 to 1, not '2'"},
        {{"--blank-column", "two", "tale.txt"},
         "--blank-column takes a number from 0 to 2, not 'two'"},
        {{"--split", "0", "tale.txt"}, "--split takes a number from 1 to 5000, not '0'"},
        {{"--split=5001", "tale.txt"}, "--split takes a number from 1 to 5000, not '5001'"},
        {{"--split", "3x", "tale.txt"}, "--split takes a number from 1 to 5000, not '3x'"},
        {{"--split", "99999999999999999999", "tale.txt"},
         "--split takes a number from 1 to 5000, not '99999999999999999999'"},
        {{"--split="}, "--split takes a number from 1 to 5000, not ''"},
        {{"tale.txt", "--split"}, "--split needs a value"},
        {{"tale.txt", "-o"}, "-o/--output needs a value"},
        {{"--output=", "tale.txt"}, "-o/--output needs a file name"},
        {{"--bogus", "tale.txt"}, "unknown option '--bogus'"},
        {{"-x", "tale.txt"}, "unknown option '-x'"},
        {{"-fv", "tale.txt"}, "unknown option '-fv'"},
        {{"--verse=1", "tale.txt"}, "--verse takes no value"},
        {{}, "no SOURCE given"},
        {{"-f", "--"}, "no SOURCE given"},
        {{"-o", "out.txt", "tale.txt", "tale.txt"}, "-o/--output takes a single SOURCE, not 2"},
        {{"-o", "out.txt", "-d", "out", "tale.txt"},
         "-o/--output and -d/--output-dir cannot be used together"},
        {{"-o", "-", "--split", "3", "tale.txt"},
         "a split output (--split) cannot go to standard output (-o -)"},
        {{"-", "tale.txt", "-"}, "standard input ('-') can be given as a SOURCE only once"},
        {{"--encoding", "latin-1", "tale.txt"},
         "--encoding takes auto, sjis, utf-8, utf-16le, utf-16be, euc-jp or iso-2022-jp, not "
         "'latin-1'"},
        {{"--ruby=keep", "tale.txt"}, "--ruby takes drop or paren, not 'keep'"},
    };
    write("tale.txt", kLongText);
    for (const UsageCase& c : cases) {
        const CommandResult result = run(c.args, "input");
        SCOPED_TRACE(c.message);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "pagelume-convert: " + c.message + "\n" + kTryHelp);
    }
    EXPECT_EQ(listing(), (std::vector<std::string>{"tale.txt"}));
}

// --- Other encodings and Aozora Bunko's notation ---------------------------------------------

TEST_F(ConvertCommandTest, UtfEightSourceGivesTheBytesOfItsShiftJisOriginal) {
    // 山の道 / 著者名 / 本文。 in UTF-8, and a character Shift_JIS cannot hold (é).
    write("sjis.txt", kHeadedText);
    write("utf8.txt", "\xE5\xB1\xB1\xE3\x81\xAE\xE9\x81\x93\r\n\xE8\x91\x97\xE8\x80\x85"
                      "\xE5\x90\x8D\r\n\xE6\x9C\xAC\xE6\x96\x87\xE3\x80\x82");
    write("odd.txt", "caf\xC3\xA9");
    ASSERT_EQ(run({"--header", "-o", "sjis.out", "sjis.txt"}).status, 0);
    const CommandResult utf8 = run({"--header", "-o", "utf8.out", "utf8.txt"});
    EXPECT_EQ(utf8.status, 0);
    EXPECT_EQ(utf8.err, "");
    EXPECT_EQ(read("utf8.out"), read("sjis.out"));
    // Told to take it as Shift_JIS, it is taken as it is.
    ASSERT_EQ(run({"--header", "--encoding", "sjis", "-o", "forced.out", "utf8.txt"}).status, 0);
    EXPECT_NE(read("forced.out"), read("sjis.out"));
    const CommandResult odd = run({"--encoding", "utf-8", "-o", "odd.out", "odd.txt"});
    EXPECT_EQ(odd.status, 0);
    EXPECT_EQ(odd.err, "pagelume-convert: 'odd.txt': 1 character that Shift_JIS cannot hold "
                       "written as \xE3\x80\x93\n");
    EXPECT_EQ(rowOf(read("odd.out"), 0, 3, 23), oneByteBlankRow({"\x81\xAC"}));
    // Found out, the same bytes are two half-width katakana rather than a Latin-1 letter: a guess
    // the user hears of.
    const CommandResult guessed = run({"-o", "guessed.out", "odd.txt"});
    EXPECT_EQ(guessed.status, 0);
    EXPECT_EQ(guessed.err, "pagelume-convert: 'odd.txt': the encoding could not be told for "
                           "certain; read as Shift_JIS (if the pages are garbled, try --encoding "
                           "euc-jp)\n");
    // A stray Latin-1 byte at the end of a UTF-8 text leaves it UTF-8, with one 〓.
    write("stray.txt", read("utf8.txt") + "\r\ncaf\xE9");
    const CommandResult stray = run({"--header", "-o", "stray.out", "stray.txt"});
    EXPECT_EQ(stray.status, 0);
    EXPECT_EQ(stray.err, "pagelume-convert: 'stray.txt': 1 character that Shift_JIS cannot hold "
                         "written as \xE3\x80\x93\n");
    write("stray.sjis", kHeadedText + std::string("\r\ncaf\x81\xAC"));
    ASSERT_EQ(run({"--header", "-o", "stray-sjis.out", "stray.sjis"}).status, 0);
    EXPECT_EQ(read("stray.out"), read("stray-sjis.out"));
}

TEST_F(ConvertCommandTest, AozoraNotationIsTakenOutWhenAskedFor) {
    // 本《ほん》［＃「本」に傍点］文
    const std::string marked = kHon + "\x81\x73\x82\xD9\x82\xF1\x81\x74\x81\x6D\x81\x94\x81\x75" +
                               kHon + "\x81\x76\x82\xC9\x96\x54\x93\x5F\x81\x6E" + kBun;
    write("marked.txt", marked);
    write("plain.txt", kHon + kBun);
    ASSERT_EQ(run({"-o", "plain.out", "plain.txt"}).status, 0);
    ASSERT_EQ(run({"--aozora", "-o", "clean.out", "marked.txt"}).status, 0);
    EXPECT_EQ(read("clean.out"), read("plain.out"));
    // Without the option the notation is text like any other.
    ASSERT_EQ(run({"-o", "raw.out", "marked.txt"}).status, 0);
    EXPECT_NE(read("raw.out"), read("plain.out"));
    // The settings file's own section asks for it too, and for the readings in parentheses.
    write("aozora.cfg", "[pagelume]\r\naozora=1\r\nruby=paren\r\n");
    write("paren.txt", kHon + "\x81\x69\x82\xD9\x82\xF1\x81\x6A" + kBun); // 本（ほん）文
    ASSERT_EQ(run({"-o", "paren.out", "paren.txt"}).status, 0);
    ASSERT_EQ(run({"--settings", "aozora.cfg", "-o", "fromcfg.out", "marked.txt"}).status, 0);
    EXPECT_EQ(read("fromcfg.out"), read("paren.out"));
}

TEST_F(ConvertCommandTest, LayoutSwitchesFromTheCommandLineAndTheSettingsFile) {
    // 23 あ, then 。: with kinsoku the last あ goes to the next column with the mark; 12 stands in
    // one cell with --tcy-digits.
    std::string text;
    for (int i = 0; i < 23; ++i)
        text += "\x82\xA0";
    text += "\x81\x42\r\n12";
    write("marks.txt", text);
    ASSERT_EQ(run({"-o", "plain.out", "marks.txt"}).status, 0);
    ASSERT_EQ(run({"--kinsoku", "--tcy-digits", "-o", "switched.out", "marks.txt"}).status, 0);
    write("layout.cfg", "[pagelume]\r\nkinsoku=1\r\ntcydigits=1\r\n");
    ASSERT_EQ(run({"--settings", "layout.cfg", "-o", "fromcfg.out", "marks.txt"}).status, 0);
    EXPECT_EQ(read("fromcfg.out"), read("switched.out"));
    EXPECT_NE(read("switched.out"), read("plain.out"));
    EXPECT_NE(read("switched.out").find(" 12 "), std::string::npos);
    ASSERT_EQ(run({"--kinsoku", "-o", "kinsoku.out", "marks.txt"}).status, 0);
    EXPECT_NE(read("kinsoku.out"), read("plain.out"));
    EXPECT_EQ(read("kinsoku.out").find(" 12 "), std::string::npos);
}

TEST_F(ConvertCommandTest, HelpExplainsEveryOption) {
    const CommandResult result = run({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.starts_with("Usage: pagelume-convert [OPTIONS] SOURCE...\n"));
    for (const char* option :
         {"--line-spacing N", "--char-size N", "--blank-column N", "--verse", "--header ",
          "--header-name", "--split PAGES", "--settings FILE", "-o, --output FILE",
          "-d, --output-dir DIR", "-f, --force", "-h, --help", "--version", "--encoding NAME",
          "--aozora", "--ruby drop|paren", "--kinsoku", "--tcy-digits", "-j, --jobs N"})
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
    EXPECT_EQ(run({"-h", "--bogus"}).out, result.out);
}

TEST_F(ConvertCommandTest, VersionIsPrinted) {
    const CommandResult result = run({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "pagelume-convert 2.0.1\n");
    EXPECT_EQ(result.err, "");
}

} // namespace
} // namespace cli_test

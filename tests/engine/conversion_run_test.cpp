#include "engine/conversion_run.h"
#include "engine/header_block.h"
#include "engine/output_name.h"
#include "input/source_text.h"
#include "support/layout_driver.h"
#include "support/reference_models.h"
#include "support/scripted_ui.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <functional>

using namespace engine;
using namespace testing_support;

namespace {

const std::string kConfirm = "stage:confirming header";
const std::string kChoose = "stage:choosing output";
const std::string kCancelled = "stage:cancelled";
const std::string kReading = "stage:reading";
const std::string kPreparing = "stage:preparing";
const std::string kConverting = "stage:converting";
const std::string kDone = "stage:done";

const std::vector<std::string> kConvertedCalls = {kChoose,    "save",      "busy:on",  kReading,
                                                  kPreparing, kConverting, "busy:off", kDone};

// What the run should write for `textAsRead` (LF line breaks, no end byte) with `s`.
std::string expectedOutput(const std::string& textAsRead, const engine::Settings& s) {
    return convertedFile(textAsRead, s);
}

std::size_t pageBytes(int rows) {
    return 2 + 42 * static_cast<std::size_t>(rows);
}

struct Fixture {
    TempDir dir;
    ScriptedUi ui;
    ListOfFiles list;
    engine::Settings settings;
    files::FileSystemSources sources;
    input::SourceInput input;
    files::FileSystemOutputFiles outputs;
    Converter converter{sources, input, outputs};

    std::string addSource(const std::string& name, const std::string& bytes, bool selected = true) {
        const std::string path = dir.file(name);
        writeFile(path, bytes);
        list.entries.push_back({path, selected});
        return path;
    }
    // Through the file system, or through `other` outputs.
    RunResult run(OutputFiles* other = nullptr) {
        if (!other)
            return converter.RunConversion(list, "/home/infocarry", settings, ui);
        Converter throughOther(sources, input, *other);
        return throughOther.RunConversion(list, "/home/infocarry", settings, ui);
    }
};

// Output files on the file system that fail to order: writes beyond a number of bytes, as a full
// disk would, or the placing of the n-th file created, as a rename refused by the system would.
class FailingOutputs : public OutputFiles {
  public:
    // `failedUndo`: the n-th file created cannot be taken back once placed.
    explicit FailingOutputs(std::size_t allowed, int failedPlacing = 0, int failedUndo = 0)
        : m_allowed(allowed), m_failedPlacing(failedPlacing), m_failedUndo(failedUndo) {}
    bool exists(const std::string& path) const override { return m_real.exists(path); }
    std::unique_ptr<OutputFile> removal(const std::string& path, FileError& error) override {
        return m_real.removal(path, error);
    }
    std::string fileNameFromShiftJis(std::string_view sjis,
                                     const std::vector<std::string>& lost) const override {
        return m_real.fileNameFromShiftJis(sjis, lost);
    }
    std::unique_ptr<OutputFile> create(const std::string& path, FileError& error) override {
        auto real = m_real.create(path, error);
        if (!real)
            return nullptr;
        ++m_created;
        return std::make_unique<Failing>(std::move(real), m_allowed, m_created == m_failedPlacing,
                                         m_created == m_failedUndo);
    }

  private:
    class Failing : public OutputFile {
      public:
        Failing(std::unique_ptr<OutputFile> real, std::size_t& allowed, bool placingFails,
                bool undoFails)
            : m_real(std::move(real)), m_allowed(allowed), m_placingFails(placingFails),
              m_undoFails(undoFails) {}
        bool write(std::string_view bytes, FileError& error) override {
            if (bytes.size() > m_allowed) {
                error = FileError::System("No space left on device");
                return false;
            }
            m_allowed -= bytes.size();
            return m_real->write(bytes, error);
        }
        bool finish(FileError& error) override { return m_real->finish(error); }
        bool place(FileError& error) override {
            if (m_placingFails) {
                error = FileError::System("Read-only file system");
                return false;
            }
            return m_real->place(error);
        }
        void confirm() override { m_real->confirm(); }
        std::optional<UndoFault> undo() override {
            if (m_undoFails)
                return UndoFault{true, "kept-aside"};
            return m_real->undo();
        }

      private:
        std::unique_ptr<OutputFile> m_real;
        std::size_t& m_allowed;
        bool m_placingFails;
        bool m_undoFails;
    };
    files::FileSystemOutputFiles m_real;
    std::size_t m_allowed;
    int m_failedPlacing;
    int m_failedUndo;
    int m_created = 0;
};

} // namespace

TEST(ConversionRun, NoSelectedEntryDoesNothing) {
    Fixture f;
    f.addSource("a.txt", "abc", false);
    EXPECT_EQ(f.run(), RunResult::Ran);
    EXPECT_TRUE(f.ui.calls.empty());
}

TEST(ConversionRun, StatusMessagesAndQuestionsInOrder) {
    Fixture f;
    f.settings.useheader = true;
    f.settings.useheadertofile = true;
    const std::string source =
        f.addSource("yama.txt", sj("山の道\r\n著者名\r\n\r\n　本文です。\r\n"));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    std::vector<std::string> expected = {kConfirm, "confirm"};
    expected.insert(expected.end(), kConvertedCalls.begin(), kConvertedCalls.end());
    EXPECT_EQ(f.ui.calls, expected);
    ASSERT_EQ(f.ui.proposedNames.size(), 1u);
    EXPECT_EQ(f.ui.proposedNames[0], "山の道[著者名]");
    EXPECT_EQ(f.ui.initialFolders[0], "/home/infocarry");
    ASSERT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(f.ui.questions[0].title, sj("山の道"));
    EXPECT_EQ(f.ui.questions[0].author, sj("著者名"));

    // The two head lines gave way to the title page.
    const std::string header =
        "\n\n\n\n" + sj("　　山の道") + "\n\n" + sj("　　　　　　　著者名") + std::string(8, '\n');
    EXPECT_EQ(readFile(f.dir.file("out.txt")),
              expectedOutput(header + sj("\n　本文です。\n"), f.settings));
}

TEST(ConversionRun, SavePathIsTheInitialFolderWhenSet) {
    Fixture f;
    f.settings.savepath = "/books";
    f.addSource("a.txt", "abc");
    f.run();
    ASSERT_EQ(f.ui.initialFolders.size(), 1u);
    EXPECT_EQ(f.ui.initialFolders[0], "/books");
    EXPECT_EQ(f.ui.proposedNames[0], "a.txt");
}

TEST(ConversionRun, CancelOfTheSecondOfThreeEntries) {
    Fixture f;
    f.addSource("one.txt", sj("一"));
    f.addSource("two.txt", sj("二"));
    f.addSource("three.txt", sj("三"));
    f.ui.outputPaths = {f.dir.file("1.out"), std::nullopt, f.dir.file("3.out")};
    f.run();
    std::vector<std::string> expected = kConvertedCalls;
    expected.insert(expected.end(), {kChoose, "save", kCancelled});
    expected.insert(expected.end(), kConvertedCalls.begin(), kConvertedCalls.end());
    EXPECT_EQ(f.ui.calls, expected);
    EXPECT_EQ(readFile(f.dir.file("1.out")), expectedOutput(sj("一"), f.settings));
    EXPECT_EQ(readFile(f.dir.file("3.out")), expectedOutput(sj("三"), f.settings));
    EXPECT_EQ(f.ui.proposedNames, (std::vector<std::string>{"one.txt", "two.txt", "three.txt"}));
}

TEST(ConversionRun, NoInTheHeaderQuestionConvertsTheWholeText) {
    Fixture f;
    f.settings.useheader = true;
    f.settings.useheadertofile = true;
    const std::string text = sj("題\n著\n本文");
    f.addSource("src.txt", text);
    f.ui.yesNoAnswers = {false};
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    EXPECT_EQ(f.ui.proposedNames[0], "src.txt");
    EXPECT_EQ(readFile(f.dir.file("out.txt")), expectedOutput(text, f.settings));
}

TEST(ConversionRun, YesWithoutNamingKeepsTheSourceNameButSplicesTheHeader) {
    Fixture f;
    f.settings.useheader = true;
    f.addSource("src.txt", sj("題\n著\n本文"));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    EXPECT_EQ(f.ui.proposedNames[0], "src.txt");
    const std::string header =
        "\n\n\n\n" + sj("　　題") + "\n\n" + sj("　　　　　　　著") + std::string(8, '\n');
    EXPECT_EQ(readFile(f.dir.file("out.txt")), expectedOutput(header + sj("本文"), f.settings));
}

TEST(ConversionRun, EmptySourceGivesOneBlankPage) {
    Fixture f;
    f.addSource("empty.txt", "");
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    const std::string out = readFile(f.dir.file("out.txt"));
    ASSERT_EQ(out.size(), pageBytes(23) + 2);
    EXPECT_EQ(out, "\r\n" + repeat(std::string(40, ' ') + "\r\n", 23) + "\r\n");
}

TEST(ConversionRun, LineBreaksOfEveryKind) {
    Fixture f;
    f.settings.usereturn = true;
    f.addSource("crlf.txt", sj("あ\r\nい\r\n"));
    f.addSource("lf.txt", sj("あ\nい\n"));
    f.addSource("cr.txt", sj("あ\rい\r"));
    f.addSource("stray.txt", sj("あ\rい\n"));
    f.ui.outputPaths = {f.dir.file("crlf.out"), f.dir.file("lf.out"), f.dir.file("cr.out"),
                        f.dir.file("stray.out")};
    f.run();
    EXPECT_EQ(readFile(f.dir.file("crlf.out")), readFile(f.dir.file("lf.out")));
    EXPECT_EQ(readFile(f.dir.file("crlf.out")), expectedOutput(sj("あ\nい\n"), f.settings));
    // A text whose lines end in CR alone (no LF anywhere) has its CRs as line breaks.
    EXPECT_EQ(readFile(f.dir.file("cr.out")), readFile(f.dir.file("lf.out")));
    // A stray CR in a text with LF is dropped: the lines run together.
    EXPECT_EQ(readFile(f.dir.file("stray.out")), expectedOutput(sj("あい\n"), f.settings));
}

TEST(ConversionRun, EndOfFileMarkStopsTheText) {
    Fixture f;
    f.addSource("eof.txt", sj("前") + "\x1A" + sj("後"));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    EXPECT_EQ(readFile(f.dir.file("out.txt")), expectedOutput(sj("前"), f.settings));
}

TEST(ConversionRun, SplitOutputIsNumberedFromOne) {
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 1;
    f.settings.spaceline = 2; // 20 columns of 23 cells = 460 cells a page
    f.addSource("tale.txt", repeat(sj("字"), 1000));
    f.ui.outputPaths.push_back(f.dir.file("story.txt"));
    f.run();
    EXPECT_FALSE(exists(f.dir.file("story.txt")));
    EXPECT_FALSE(exists(f.dir.file("story_0.txt")));
    EXPECT_FALSE(exists(f.dir.file("story_4.txt")));
    std::string joined;
    for (int n = 1; n <= 3; ++n) {
        const std::string part = readFile(f.dir.file("story_" + std::to_string(n) + ".txt"));
        ASSERT_EQ(part.size(), pageBytes(23) + 2) << n;
        EXPECT_EQ(part.substr(part.size() - 2), "\r\n");
        joined += part.substr(0, part.size() - 2);
    }
    const std::string whole = expectedOutput(repeat(sj("字"), 1000), f.settings);
    EXPECT_EQ(joined + "\r\n", whole);
}

TEST(ConversionRun, SplitOutputThatFitsOneFileKeepsTheChosenName) {
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 10;
    f.addSource("tale.txt", repeat(sj("字"), 100));
    f.ui.outputPaths.push_back(f.dir.file("story.dat"));
    f.run();
    EXPECT_FALSE(exists(f.dir.file("story_1.txt")));
    EXPECT_EQ(readFile(f.dir.file("story.dat")), expectedOutput(repeat(sj("字"), 100), f.settings));
}

TEST(ConversionRun, SplitMisjudgedBySizeStillLosesNoPage) {
    // One-byte letters take one byte each but a whole cell: 2000 of them need 7 pages of 299
    // cells, while the size test (3 pages x 23 rows x 42 bytes = 2898 >= 2001) says one file of
    // 3 pages will do. The files are numbered so none replaces another.
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 3;
    const std::string text(2000, 'a');
    f.addSource("abc.txt", text);
    f.ui.outputPaths.push_back(f.dir.file("abc.txt"));
    f.run();
    std::string joined;
    const std::size_t pagesPerFile[] = {3, 3, 1};
    for (int n = 1; n <= 3; ++n) {
        const std::string part = readFile(f.dir.file("abc_" + std::to_string(n) + ".txt"));
        ASSERT_EQ(part.size(), pagesPerFile[n - 1] * pageBytes(23) + 2) << n;
        joined += part.substr(0, part.size() - 2);
    }
    EXPECT_EQ(joined + "\r\n", expectedOutput(text, f.settings));
    EXPECT_FALSE(exists(f.dir.file("abc_4.txt")));
    // The source, chosen as the output path, is untouched: only numbered files were written.
    EXPECT_EQ(readFile(f.dir.file("abc.txt")), text);
}

TEST(ConversionRun, SplitWhoseLastPageIsBlankGetsAFileOfItsOwn) {
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 1;
    f.settings.spaceline = 2;
    f.addSource("full.txt", repeat(sj("字"), 460)); // exactly one page
    f.ui.outputPaths.push_back(f.dir.file("full.txt"));
    f.run();
    const std::string second = readFile(f.dir.file("full_2.txt"));
    EXPECT_EQ(second, "\r\n" + repeat(std::string(40, ' ') + "\r\n", 23) + "\r\n");
    EXPECT_EQ(readFile(f.dir.file("full_1.txt")).size(), pageBytes(23) + 2);
}

TEST(NumberedOutputName, ExtensionReplacedFolderKept) {
    EXPECT_EQ(NumberedOutputName("/a/tale.txt", 1), "/a/tale_1.txt");
    EXPECT_EQ(NumberedOutputName("/a/tale.v2.doc", 12), "/a/tale.v2_12.txt");
    EXPECT_EQ(NumberedOutputName("/a.b/tale", 3), "/a.b/tale_3.txt");
}

TEST(ConversionRun, OutputOverTheSourceReplacesIt) {
    Fixture f;
    const std::string source = f.addSource("self.txt", sj("自分\n"));
    f.ui.outputPaths.push_back(source);
    f.run();
    EXPECT_EQ(readFile(source), expectedOutput(sj("自分\n"), f.settings));
    // No temporary file is left beside it.
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(f.dir.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST(ConversionRunFailures, MissingSourceIsReportedAndTheRunGoesOn) {
    Fixture f;
    f.list.entries.push_back({f.dir.file("gone.txt"), true});
    f.addSource("here.txt", sj("在"));
    f.ui.outputPaths = {f.dir.file("gone.out"), f.dir.file("here.out")};
    f.run();
    ASSERT_EQ(f.ui.failures.size(), 1u);
    EXPECT_EQ(f.ui.failures[0].action, Failure::Action::ReadSource);
    EXPECT_EQ(f.ui.failures[0].path, f.dir.file("gone.txt"));
    EXPECT_EQ(f.ui.failures[0].error.reason, "No such file or directory");
    EXPECT_FALSE(exists(f.dir.file("gone.out")));
    EXPECT_TRUE(exists(f.dir.file("here.out")));
    // Never reported as done; the cursor is back.
    const std::vector<std::string> first(f.ui.calls.begin(), f.ui.calls.begin() + 7);
    EXPECT_EQ(first, (std::vector<std::string>{kChoose, "save", "busy:on", kReading, "busy:off",
                                               "failure:" + f.dir.file("gone.txt"), kCancelled}));
}

TEST(ConversionRunFailures, MissingSourceWithHeaderRecognition) {
    Fixture f;
    f.settings.useheader = true;
    f.list.entries.push_back({f.dir.file("gone.txt"), true});
    f.run();
    ASSERT_EQ(f.ui.failures.size(), 1u);
    EXPECT_EQ(f.ui.calls,
              (std::vector<std::string>{"failure:" + f.dir.file("gone.txt"), kCancelled}));
}

TEST(ConversionRunFailures, OutputFolderMissing) {
    Fixture f;
    f.addSource("a.txt", "abc");
    f.ui.outputPaths.push_back(f.dir.file("no/such/folder/out.txt"));
    f.run();
    ASSERT_EQ(f.ui.failures.size(), 1u);
    EXPECT_EQ(f.ui.failures[0].action, Failure::Action::WriteOutput);
    EXPECT_EQ(f.ui.failures[0].path, f.dir.file("no/such/folder/out.txt"));
    EXPECT_EQ(f.ui.calls.back(), kCancelled);
}

TEST(ConversionRunFailures, OutputPathIsAFolder) {
    Fixture f;
    f.addSource("a.txt", "abc");
    std::filesystem::create_directory(f.dir.file("sub"));
    f.ui.outputPaths.push_back(f.dir.file("sub"));
    f.run();
    ASSERT_EQ(f.ui.failures.size(), 1u);
    EXPECT_EQ(f.ui.failures[0].error.reason, "Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory(f.dir.file("sub")));
}

TEST(ConversionRunFailures, WriteFailingMidwayKeepsTheEarlierFile) {
    Fixture f;
    f.addSource("big.txt", repeat(sj("字"), 3000000)); // several megabytes of pages
    writeFile(f.dir.file("out.txt"), "earlier output");
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    FailingOutputs outputs(1 << 21);
    f.run(&outputs);
    ASSERT_EQ(f.ui.failures.size(), 1u);
    EXPECT_EQ(f.ui.failures[0].error.reason, "No space left on device");
    EXPECT_EQ(readFile(f.dir.file("out.txt")), "earlier output");
    EXPECT_EQ(std::count(f.ui.calls.begin(), f.ui.calls.end(), kDone), 0);
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(f.dir.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 2); // the source and the earlier output, no temporary file
}

TEST(ConversionRunFailures, SplitFailingInTheLastFileCommitsNone) {
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 1;
    f.settings.spaceline = 2;
    f.addSource("tale.txt", repeat(sj("字"), 1000)); // three files of one page
    f.ui.outputPaths.push_back(f.dir.file("tale.txt"));
    FailingOutputs outputs(2 * (pageBytes(23) + 2) + 10);
    f.run(&outputs);
    ASSERT_EQ(f.ui.failures.size(), 1u);
    EXPECT_EQ(f.ui.failures[0].path, f.dir.file("tale_3.txt"));
    EXPECT_FALSE(exists(f.dir.file("tale_1.txt")));
    EXPECT_FALSE(exists(f.dir.file("tale_2.txt")));
}

TEST(ConversionRunState, NestedRunIsRefused) {
    Fixture f;
    f.addSource("a.txt", "abc");
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    int nestedResults = 0;
    f.ui.onEvents = [&] {
        EXPECT_TRUE(f.converter.running());
        ScriptedUi inner;
        if (f.converter.RunConversion(f.list, "", f.settings, inner) == RunResult::AlreadyRunning)
            ++nestedResults;
        EXPECT_TRUE(inner.calls.empty());
    };
    EXPECT_EQ(f.run(), RunResult::Ran);
    EXPECT_GT(nestedResults, 0);
    EXPECT_FALSE(f.converter.running());
    EXPECT_TRUE(exists(f.dir.file("out.txt")));
}

TEST(ConversionRunState, EntriesRemovedDuringTheRunShortenIt) {
    Fixture f;
    f.addSource("a.txt", "a");
    f.addSource("b.txt", "b");
    f.addSource("c.txt", "c");
    f.ui.outputPaths = {f.dir.file("a.out"), f.dir.file("b.out"), f.dir.file("c.out")};
    f.ui.onEvents = [&] { f.list.entries.resize(1); };
    f.run();
    EXPECT_TRUE(exists(f.dir.file("a.out")));
    EXPECT_EQ(f.ui.proposedNames.size(), 1u);
}

TEST(ConversionRunState, LineSpacingWithoutAChoiceUsesTheRowsOfNone) {
    Fixture f;
    f.settings.gyokan = -1;
    f.addSource("a.txt", "");
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    EXPECT_EQ(readFile(f.dir.file("out.txt")).size(), pageBytes(23) + 2);
}

TEST(ConversionRunState, SettingsAreReadLive) {
    // Verse is chosen per entry, just before the normalisation.
    Fixture f;
    f.addSource("a.txt", sj("あ\nい"));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.ui.onEvents = [&] { f.settings.usereturn = true; };
    f.run();
    engine::Settings verse;
    verse.usereturn = true;
    EXPECT_EQ(readFile(f.dir.file("out.txt")), expectedOutput(sj("あ\nい"), verse));
}

TEST(ConversionRunState, ProgressCountsThePages) {
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 2;
    // 100000 cells on pages of 13 columns of 23 cells (299 cells): 335 pages.
    f.addSource("long.txt", repeat(sj("字"), 100000));
    f.ui.outputPaths.push_back(f.dir.file("long.txt"));
    f.run();
    ASSERT_EQ(f.ui.progress.size(), 335u);
    for (std::size_t i = 0; i < f.ui.progress.size(); ++i)
        EXPECT_EQ(f.ui.progress[i], std::make_pair(std::int64_t(i + 1), std::int64_t{335}));
    // Events are served throughout: reading, normalising, counting the pages, every page.
    EXPECT_GT(f.ui.eventCalls, 335);
}

TEST(ConversionRunState, UnsplitProgressCountsThePagesToo) {
    Fixture f;
    f.addSource("long.txt", repeat(sj("字"), 3000));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    ASSERT_FALSE(f.ui.progress.empty());
    EXPECT_EQ(f.ui.progress.back().first, f.ui.progress.back().second);
    EXPECT_EQ(f.ui.progress.back().first, 11); // 3000 / 299, and the page the end is found on
}

// Windows has no limit on open files that a process could lower for a test.
#ifndef _WIN32
TEST(ConversionRunFailures, SplitIntoMoreFilesThanMayBeOpenAtOnce) {
    // Each file of a split is closed when it is complete: 300 files under a limit of 64 open ones.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
    rlimit low = old;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 1;
    f.addSource("long.txt", std::string(299 * 300, 'a')); // 300 full pages and a blank one
    f.ui.outputPaths.push_back(f.dir.file("long.txt"));
    f.run();
    setrlimit(RLIMIT_NOFILE, &old);
    EXPECT_TRUE(f.ui.failures.empty())
        << (f.ui.failures.empty() ? "" : f.ui.failures[0].error.reason);
    EXPECT_TRUE(exists(f.dir.file("long_301.txt")));
    EXPECT_FALSE(exists(f.dir.file("long_302.txt")));
}
#endif

// --- Whole runs --------------------------------------------------------------------------------

TEST(RunCases, EndOfFileMarkAfterALeadByteLeavesTheGetaMark) {
    Fixture f;
    f.addSource("a.txt", "\x82\x1a"
                         "never read");
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    // One page of 23 rows with one-byte blank columns: 〓 in the first text column of row 0.
    std::string want = "\r\n" + std::string(37, ' ') + "\x81\xac \r\n";
    for (int r = 1; r < 23; ++r)
        want += std::string(40, ' ') + "\r\n";
    want += "\r\n";
    EXPECT_EQ(hex(readFile(f.dir.file("out.txt"))), hex(want));
}

TEST(RunCases, LineFeedAsSecondByteIsStoredAsCrLfInsideTheRow) {
    Fixture f;
    f.settings.spaceline = 2;
    f.settings.gyokan = 3;
    f.settings.charsize = 1; // 7 rows
    f.addSource("a.txt", "\x82\r\nX");
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    std::string want = "\r\n" + std::string(38, ' ') + "\x82\r\n\r\n";
    want += std::string(38, ' ') + "\x82\x77\r\n"; // Ｘ
    for (int r = 2; r < 7; ++r)
        want += std::string(40, ' ') + "\r\n";
    want += "\r\n";
    EXPECT_EQ(hex(readFile(f.dir.file("out.txt"))), hex(want));
}

TEST(RunCases, SplitOutputTakesTheBlankColumnChoiceAnewForEveryPage) {
    // Two-byte blank columns at the start; after the first page has been written the user turns
    // blank columns off. The second page is laid out without them, with 20 columns.
    Fixture f;
    f.settings.gyokan = 3;
    f.settings.charsize = 1; // 7 rows
    f.settings.spaceline = 0;
    f.settings.usedivision = true;
    f.settings.divisionsize = 5000;
    const std::string ji = sj("字");
    f.addSource("a.txt", repeat(ji, 90));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.ui.onEvents = [&] {
        if (!f.ui.progress.empty())
            f.settings.spaceline = 2;
    };
    f.run();
    std::string want = "\r\n";
    for (int r = 0; r < 7; ++r)
        want += repeat("\x81\x40" + ji, 10) + "\r\n";
    want += "\r\n";
    for (int r = 0; r < 6; ++r)
        want += std::string(34, ' ') + repeat(ji, 3) + "\r\n";
    want += std::string(36, ' ') + repeat(ji, 2) + "\r\n";
    want += "\r\n";
    EXPECT_EQ(hex(readFile(f.dir.file("out.txt"))), hex(want));
}

TEST(RunCases, UnsplitOutputKeepsItsBlankColumnChoiceForTheWholeEntry) {
    Fixture f;
    f.settings.gyokan = 3;
    f.settings.charsize = 1;
    f.settings.spaceline = 0;
    const std::string ji = sj("字");
    f.addSource("a.txt", repeat(ji, 90));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.ui.onEvents = [&] {
        if (!f.ui.progress.empty())
            f.settings.spaceline = 2;
    };
    f.run();
    std::string want = "\r\n";
    for (int r = 0; r < 7; ++r)
        want += repeat("\x81\x40" + ji, 10) + "\r\n";
    want += "\r\n";
    for (int r = 0; r < 6; ++r)
        want += std::string(14, ' ') + repeat("\x81\x40", 7) + repeat("\x81\x40" + ji, 3) + "\r\n";
    want += std::string(16, ' ') + repeat("\x81\x40", 8) + repeat("\x81\x40" + ji, 2) + "\r\n";
    want += "\r\n";
    EXPECT_EQ(hex(readFile(f.dir.file("out.txt"))), hex(want));
}

namespace {

// Exit status 0 when the second entry's output is as it should be.
[[noreturn]] void convertWithBlankColumnsTurnedOffMidway() {
    Fixture f;
    f.settings.gyokan = 3;
    f.settings.charsize = 1; // 7 rows
    f.settings.spaceline = 1;
    f.addSource("first.txt", "x");
    const std::string ji = sj("字");
    f.addSource("second.txt", repeat(ji, 190));
    f.ui.outputPaths = {f.dir.file("first.out"), f.dir.file("second.out")};
    f.ui.onEvents = [&] {
        if (!f.ui.progress.empty())
            f.settings.spaceline = 2;
    };
    f.run();
    // Packed pages of 20 columns, as a run started without blank columns makes them: 140
    // characters fill the first page, the other 50 take seven columns and one cell.
    std::string want = "\r\n";
    for (int r = 0; r < 7; ++r)
        want += repeat(ji, 20) + "\r\n";
    want += "\r\n" + std::string(24, ' ') + repeat(ji, 8) + "\r\n";
    for (int r = 1; r < 7; ++r)
        want += std::string(26, ' ') + repeat(ji, 7) + "\r\n";
    want += "\r\n";
    std::exit(readFile(f.dir.file("second.out")) == want ? 0 : 3);
}

} // namespace

TEST(RunCases, BlankColumnsTurnedOffDuringARunDoNotCorruptTheNextEntry) {
    // The run fixes its geometry (26 column slots with one-byte blank columns) at its start, while
    // the layout is chosen per entry. Turning blank columns off while the first entry is converted
    // lays the second one out packed, still in rows of 40 bytes. Run in a child process, so a row
    // overflowing its buffer shows as a failure rather than taking the tests down.
    EXPECT_EXIT(convertWithBlankColumnsTurnedOffMidway(), ::testing::ExitedWithCode(0), "");
}

// --- Names --------------------------------------------------------------------------------------

#ifndef _WIN32
TEST(NameCases, BackslashInAFileNameIsNoFolderSeparatorHere) {
    Fixture f;
    f.addSource("draft\\v2.txt", "abc");
    f.run(); // the save question is cancelled
    ASSERT_EQ(f.ui.proposedNames.size(), 1u);
    EXPECT_EQ(f.ui.proposedNames[0], "draft\\v2.txt");
    EXPECT_EQ(NumberedOutputName("/books/v1.2\\draft", 3), "/books/v1_3.txt");
}
#endif

TEST(NameCases, NumberedNamesCutAtTheLastDotOfTheFileNameOnly) {
    EXPECT_EQ(NumberedOutputName("/books.d/tale", 1), "/books.d/tale_1.txt");
    EXPECT_EQ(NumberedOutputName("/books/tale.tar.gz", 12), "/books/tale.tar_12.txt");
    EXPECT_EQ(NumberedOutputName("/books/.hidden", 2), "/books/_2.txt");
    EXPECT_EQ(NumberedOutputName("tale.", 1), "tale_1.txt");
}

TEST(ConversionRunFailures, SplitWithAFailingLaterRenamePutsEveryReplacedFileBack) {
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 1;
    f.settings.spaceline = 2;
    f.addSource("tale.txt", repeat(sj("字"), 1000)); // three files of one page
    for (int n = 1; n <= 3; ++n)
        writeFile(f.dir.file("tale_" + std::to_string(n) + ".txt"), "old " + std::to_string(n));
    f.ui.outputPaths.push_back(f.dir.file("tale.txt"));
    FailingOutputs outputs(std::size_t(1) << 30, 3); // the third rename is refused
    f.run(&outputs);
    ASSERT_EQ(f.ui.failures.size(), 1u);
    EXPECT_EQ(f.ui.failures[0].path, f.dir.file("tale_3.txt"));
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(readFile(f.dir.file("tale_" + std::to_string(n) + ".txt")),
                  "old " + std::to_string(n));
    EXPECT_EQ(f.dir.entryCount(), 4u); // no temporary or set-aside file is left
}

// When a placing fails and a file placed before cannot be taken back, the failure names it.
TEST(ConversionRunFailures, AFileThatCannotBeTakenBackIsNamed) {
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 1;
    f.settings.spaceline = 2;
    f.addSource("tale.txt", repeat(sj("字"), 1000));
    f.ui.outputPaths.push_back(f.dir.file("tale.txt"));
    FailingOutputs outputs(std::size_t(1) << 30, 3, 1); // the third rename fails, the first stays
    f.run(&outputs);
    ASSERT_EQ(f.ui.failures.size(), 1u);
    EXPECT_EQ(f.ui.failures[0].path, f.dir.file("tale_3.txt"));
    ASSERT_EQ(f.ui.failures[0].leftMixed.size(), 1u);
    EXPECT_EQ(f.ui.failures[0].leftMixed[0].first, f.dir.file("tale_1.txt"));
    EXPECT_TRUE(f.ui.failures[0].leftMixed[0].second.holdsNew);
    EXPECT_EQ(f.ui.failures[0].leftMixed[0].second.keptAs, "kept-aside");
}

// A series takes the place of an earlier one of its name whole: the earlier one's parts past its
// last go, in the same all-or-nothing placing.
TEST(ConversionRunFailures, SplitReplacesALongerEarlierSeriesWhole) {
    for (const bool placingFails : {false, true}) {
        Fixture f;
        f.settings.usedivision = true;
        f.settings.divisionsize = 1;
        f.settings.spaceline = 2;
        f.addSource("tale.txt", repeat(sj("字"), 1000)); // three files of one page
        for (int n = 1; n <= 6; ++n)
            writeFile(f.dir.file("tale_" + std::to_string(n) + ".txt"), "old");
        writeFile(f.dir.file("tale_8.txt"), "not in the series"); // after a gap
        f.ui.outputPaths.push_back(f.dir.file("tale.txt"));
        FailingOutputs outputs(std::size_t(1) << 30, placingFails ? 3 : 0);
        f.run(&outputs);
        EXPECT_EQ(f.ui.failures.size(), placingFails ? 1u : 0u);
        for (int n = 4; n <= 6; ++n)
            EXPECT_EQ(exists(f.dir.file("tale_" + std::to_string(n) + ".txt")), placingFails) << n;
        EXPECT_EQ(readFile(f.dir.file("tale_8.txt")), "not in the series");
        EXPECT_EQ(f.dir.entryCount(), placingFails ? 8u : 5u) << "placing fails: " << placingFails;
    }
}

TEST(ConversionRunFailures, SplitPlacedWholeRemovesWhatItReplaced) {
    Fixture f;
    f.settings.usedivision = true;
    f.settings.divisionsize = 1;
    f.settings.spaceline = 2;
    f.addSource("tale.txt", repeat(sj("字"), 1000));
    writeFile(f.dir.file("tale_2.txt"), "old");
    f.ui.outputPaths.push_back(f.dir.file("tale.txt"));
    f.run();
    EXPECT_TRUE(f.ui.failures.empty());
    EXPECT_EQ(readFile(f.dir.file("tale_2.txt")).size(), pageBytes(23) + 2);
    EXPECT_EQ(f.dir.entryCount(), 4u);
}

TEST(ConversionRunFailures, OutputAppearingMeanwhileIsNotReplacedWhereNoneMayBe) {
    // Outputs that must not replace a file (the command line without --force): one that appears
    // after the check, while the pages are written, is kept.
    Fixture f;
    f.addSource("a.txt", repeat(sj("字"), 5000));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.ui.onEvents = [&] {
        if (!f.ui.progress.empty() && !exists(f.dir.file("out.txt")))
            writeFile(f.dir.file("out.txt"), "someone else's");
    };
    files::FileSystemOutputFiles keep(files::AtomicFile::Existing::Keep);
    f.run(&keep);
    ASSERT_EQ(f.ui.failures.size(), 1u);
    EXPECT_EQ(f.ui.failures[0].error.cause, FileError::Cause::AlreadyExists);
    EXPECT_EQ(readFile(f.dir.file("out.txt")), "someone else's");
    EXPECT_EQ(f.dir.entryCount(), 2u);
}

TEST(ConversionRunState, SettingsOutOfRangeAreRefused) {
    for (const auto& change : std::vector<std::function<void(engine::Settings&)>>{
             [](engine::Settings& s) { s.divisionsize = 0; },
             [](engine::Settings& s) { s.divisionsize = -3; },
             [](engine::Settings& s) { s.divisionsize = 5001; },
             [](engine::Settings& s) { s.gyokan = 5; },
             [](engine::Settings& s) { s.spaceline = -2; },
             [](engine::Settings& s) { s.charsize = 2; }}) {
        Fixture f;
        f.settings.usedivision = true;
        change(f.settings);
        f.addSource("a.txt", "abc");
        f.ui.outputPaths.push_back(f.dir.file("out.txt"));
        EXPECT_EQ(f.run(), RunResult::InvalidSettings);
        EXPECT_TRUE(f.ui.calls.empty());
        EXPECT_FALSE(exists(f.dir.file("out.txt")));
    }
}

TEST(ConversionRunState, LongCrOnlySourceServesEventsBeforeTheHeaderQuestion) {
    // CRs vanish on reading: the head of a text behind many megabytes of them is found only
    // after all of them were read and dropped, serving events all along.
    Fixture f;
    f.settings.useheader = true;
    f.addSource("cr.txt", std::string(12 * 1024 * 1024, '\r') + sj("題\r\n著\r\n"));
    int eventsBeforeQuestion = -1;
    f.ui.onEvents = [&] {
        if (f.ui.questions.empty())
            eventsBeforeQuestion = f.ui.eventCalls;
    };
    f.run();
    ASSERT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(f.ui.questions[0].title, sj("題"));
    EXPECT_GE(eventsBeforeQuestion, static_cast<int>(2 * 12 * 1024 * 1024 / kEventPumpBlock));
}

TEST(ConversionRunState, StoppedAfterAPageLeavesTheEntryInHandUnwritten) {
    Fixture f;
    f.addSource("one.txt", sj("一"));
    f.addSource("two.txt", repeat(sj("字"), 5000)); // 17 pages
    f.addSource("three.txt", sj("三"));
    writeFile(f.dir.file("2.out"), "earlier");
    f.ui.outputPaths = {f.dir.file("1.out"), f.dir.file("2.out"), f.dir.file("3.out")};
    f.ui.stopWhen = [&] { return f.ui.progress.size() >= 4; }; // the third page of "two"
    f.run();
    EXPECT_EQ(readFile(f.dir.file("1.out")), expectedOutput(sj("一"), f.settings));
    EXPECT_EQ(readFile(f.dir.file("2.out")), "earlier");
    EXPECT_FALSE(exists(f.dir.file("3.out")));
    EXPECT_EQ(f.ui.proposedNames.size(), 2u); // the third entry was never begun
    EXPECT_EQ(f.ui.calls.back(), "stage:stopped");
    EXPECT_EQ(std::count(f.ui.calls.begin(), f.ui.calls.end(), "busy:off"), 2);
    EXPECT_EQ(f.dir.entryCount(), 5u); // three sources and two outputs, nothing half written
    EXPECT_TRUE(f.ui.failures.empty());
}

// A long book is laid out while its text is still being written: the pages come out as those of
// a text written first, whatever the settings, and stopping midway leaves nothing behind.
TEST(ConversionRunState, ALongBookLaidOutWhileItIsWrittenComesOutTheSame) {
    // Past the size from which the text is written ahead: paragraphs, dialogue, verse-like short
    // lines, punctuation that turns or moves, ASCII, half-width kana and two-digit numbers.
    const std::vector<std::string> lines = {
        sj("　吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"),
        sj("「何でも薄暗いじめじめした所で、ニャーニャー泣いていた事だけは記憶している」"),
        sj("一九〇五年、12月のこと――ABCとxyzは") + "\xB6\xDE\xB7", "",
        sj("　ーー、。！？（）…‥「」『』") + "42" + sj("の") + "7"};
    std::string text;
    for (std::size_t i = 0; text.size() < kWriteAheadFrom + kWriteAheadFrom / 8; ++i)
        text += lines[i * 7 % lines.size()] + "\n";
    for (int round = 0; round < 4; ++round) {
        Fixture f;
        f.settings.usereturn = round == 1;
        f.settings.kinsoku = round == 2;
        f.settings.tcyDigits = round == 3;
        f.settings.spaceline = round % 3;
        f.addSource("long.txt", text);
        f.ui.outputPaths.push_back(f.dir.file("out.txt"));
        f.run();
        ASSERT_EQ(readFile(f.dir.file("out.txt")), expectedOutput(text, f.settings))
            << "round " << round;
        EXPECT_EQ(f.ui.progress.back().first, f.ui.progress.back().second);
    }
    Fixture stopped;
    stopped.addSource("long.txt", text);
    stopped.ui.outputPaths.push_back(stopped.dir.file("out.txt"));
    stopped.ui.stopWhen = [&] { return stopped.ui.progress.size() >= 3; };
    stopped.run();
    EXPECT_FALSE(exists(stopped.dir.file("out.txt")));
}

#include "conversion_run.h"

#include "column_layout.h"
#include "header_block.h"
#include "header_recognition.h"
#include "output_name.h"
#include "page_writer.h"
#include "text_normalization.h"
#include "text_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

namespace engine {
namespace {

// Output is handed to the file in pieces of about this size.
constexpr std::size_t kWriteChunk = 1 << 20;

// Where the file name starts in a path: after the last folder separator, which is "/" here and
// also "\\" on systems that use that one.
std::size_t fileNameStart(const std::string& path) {
    constexpr bool backslashSeparates = std::filesystem::path::preferred_separator == '\\';
    const std::size_t slash = path.find_last_of(backslashSeparates ? "/\\" : "/");
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string fileNameOf(const std::string& path) {
    return path.substr(fileNameStart(path));
}

// Pages per file of a split, read live: held within its limits, whatever was set meanwhile.
std::int64_t PagesPerFile(const settings::Settings& live) {
    return std::clamp(live.divisionsize, 1, settings::kMaxDivisionSize);
}

// The layout and writing of one entry's pages into one or more output files. Files are committed
// only when every one of them is complete, so a failure midway replaces nothing.
class PageOutput {
  public:
    PageOutput(const PageGeometry& geometry, const std::string& text, std::int64_t expectedPages,
               const settings::Settings& live, ConversionUi& ui, OutputFiles& outputs)
        : m_geometry(geometry), m_text(text), m_expectedPages(expectedPages), m_live(live),
          m_ui(ui), m_outputs(outputs) {}

    bool writeUnsplit(const std::string& path);
    bool writeSplit(const std::string& chosenPath);

    const Failure& failure() const { return m_failure; }
    bool stopped() const { return m_stopped; }

  private:
    bool open(const std::string& path);
    bool flush(bool all);
    bool closeFile();
    bool placeAll();
    bool pageWritten();
    bool fail(Failure::Action action, const std::string& path, FileError error) {
        m_failure = {action, path, std::move(error)};
        return false;
    }

    const PageGeometry& m_geometry;
    const std::string& m_text;
    std::int64_t m_expectedPages;
    const settings::Settings& m_live;
    ConversionUi& m_ui;
    OutputFiles& m_outputs;

    LayoutState m_state;
    PageRows m_rows;
    std::int64_t m_pagesWritten = 0;
    bool m_stopped = false;
    std::string m_buffer;
    std::string m_currentPath;
    std::unique_ptr<OutputFile> m_current;
    std::vector<std::pair<std::string, std::unique_ptr<OutputFile>>> m_finished;
    Failure m_failure{Failure::Action::WriteOutput, {}, {}};
};

// False when the user asked to stop: the files begun are dropped unplaced.
bool PageOutput::pageWritten() {
    ++m_pagesWritten;
    m_ui.ShowProgress(m_pagesWritten, std::max(m_pagesWritten, m_expectedPages));
    if (m_ui.StopRequested())
        m_stopped = true;
    return !m_stopped;
}

bool PageOutput::open(const std::string& path) {
    FileError error;
    m_current = m_outputs.create(path, error);
    m_currentPath = path;
    if (!m_current)
        return fail(Failure::Action::WriteOutput, path, error);
    return true;
}

bool PageOutput::flush(bool all) {
    if (m_buffer.empty() || (!all && m_buffer.size() < kWriteChunk))
        return true;
    FileError error;
    if (!m_current->write(m_buffer, error))
        return fail(Failure::Action::WriteOutput, m_currentPath, error);
    m_buffer.clear();
    return true;
}

bool PageOutput::closeFile() {
    m_buffer += "\r\n"; // the line end after the last page
    if (!flush(true))
        return false;
    // Closed now, so a split into thousands of files never holds thousands open.
    FileError error;
    if (!m_current->finish(error))
        return fail(Failure::Action::WriteOutput, m_currentPath, error);
    m_finished.emplace_back(m_currentPath, std::move(m_current));
    return true;
}

// Puts every file in place, or none: when one cannot be placed, those placed before it are taken
// back out and what they replaced is put back.
bool PageOutput::placeAll() {
    for (std::size_t i = 0; i < m_finished.size(); ++i) {
        m_ui.ProcessPendingEvents();
        FileError error;
        if (!m_finished[i].second->place(error)) {
            for (std::size_t j = i; j-- > 0;)
                m_finished[j].second->undo();
            return fail(Failure::Action::WriteOutput, m_finished[i].first, std::move(error));
        }
    }
    std::vector<std::string> placed;
    for (auto& [path, file] : m_finished) {
        file->confirm();
        placed.push_back(path);
    }
    m_finished.clear();
    m_ui.ShowOutputsWritten(placed);
    return true;
}

bool PageOutput::writeUnsplit(const std::string& path) {
    if (auto refusal = m_outputs.approve({path}))
        return fail(Failure::Action::OutputExists, path, FileError::System(*refusal));
    if (!open(path))
        return false;
    const int spaceline = m_live.spaceline; // chosen once for an unsplit output
    for (bool exhausted = false; !exhausted;) {
        m_ui.ProcessPendingEvents();
        exhausted = LayoutPage(spaceline, m_geometry, m_text, m_rows, m_state);
        WritePage(m_geometry, m_buffer, m_rows);
        if (!pageWritten() || !flush(false))
            return false;
    }
    return closeFile() && placeAll();
}

bool PageOutput::writeSplit(const std::string& chosenPath) {
    const std::int64_t pagesPerFile = PagesPerFile(m_live);
    const bool bySize = pagesPerFile * m_geometry.rowCount * 42 < m_geometry.textLength;
    const std::int64_t pages =
        CountPages(m_geometry, UsesPackedLayout(m_live.spaceline), m_text, &m_ui);
    m_expectedPages = pages;
    const std::vector<std::string> paths =
        SplitOutputNames(chosenPath, pages, pagesPerFile, bySize);
    const bool numbered = paths.size() > 1 || paths.front() != chosenPath;
    if (auto refusal = m_outputs.approve(paths))
        return fail(Failure::Action::OutputExists, paths.front(), FileError::System(*refusal));

    bool exhausted = false;
    for (int fileNumber = 1; !exhausted; ++fileNumber) {
        // Settings changed while the run serves events could make more files than counted; they
        // still get names of their own rather than replacing the first.
        const bool useNumber = numbered || fileNumber > 1;
        if (!open(useNumber ? NumberedOutputName(chosenPath, fileNumber) : chosenPath))
            return false;
        for (std::int64_t j = 0; j < PagesPerFile(m_live); ++j) {
            m_ui.ProcessPendingEvents();
            exhausted = LayoutPage(m_live.spaceline, m_geometry, m_text, m_rows, m_state);
            WritePage(m_geometry, m_buffer, m_rows);
            if (!pageWritten() || !flush(false))
                return false;
            if (exhausted)
                break;
        }
        if (!closeFile())
            return false;
    }
    return placeAll();
}

// The pages the layout will make of a normalised text of `cells` cells (the end byte among them):
// a full page holds a fixed number of cells, and the end is found on the page after the last
// full one.
std::int64_t expectedPages(const PageGeometry& geometry, int spaceline, std::int64_t cells) {
    const std::int64_t textColumns =
        UsesPackedLayout(spaceline) ? PackedColumns(geometry) : geometry.columnSlots / 2;
    return std::max<std::int64_t>(cells - 1, 0) / (textColumns * LaidOutRows(geometry)) + 1;
}

// One entry of the run. Its source is read once: the title and author are recognised in the text
// that is then converted.
class EntryConversion {
  public:
    EntryConversion(std::string sourcePath, const std::string& initialFolder,
                    const PageGeometry& geometry, const settings::Settings& live, ConversionUi& ui,
                    SourceFiles& sources, OutputFiles& outputs)
        : m_sourcePath(std::move(sourcePath)), m_initialFolder(initialFolder), m_geometry(geometry),
          m_live(live), m_ui(ui), m_sources(sources), m_outputs(outputs) {}

    void run();

  private:
    void convert();
    bool readSource();
    void moveLinesForTitlePage(std::size_t headLength, std::size_t blockSize);
    void abandon(const Failure& failure);

    const std::string m_sourcePath;
    const std::string& m_initialFolder;
    const PageGeometry& m_geometry;
    const settings::Settings& m_live;
    ConversionUi& m_ui;
    SourceFiles& m_sources;
    OutputFiles& m_outputs;

    std::optional<std::string> m_text; // as read, once read
    LineLayouts m_lines;
    bool m_busy = false;
};

bool EntryConversion::readSource() {
    if (m_text)
        return true;
    SourceText source = m_sources.read(m_sourcePath, m_live, m_ui);
    if (!source.ok) {
        abandon({Failure::Action::ReadSource, m_sourcePath, std::move(source.error)});
        return false;
    }
    m_text = std::move(source.text);
    m_lines = std::move(source.lines);
    if (source.replaced > 0)
        m_ui.ShowReplacedCharacters(source.replaced);
    return true;
}

// The head lines gave way to a title page of `blockSize` bytes: layouts of the head lines go, the
// others move with their lines.
void EntryConversion::moveLinesForTitlePage(std::size_t headLength, std::size_t blockSize) {
    LineLayouts moved;
    for (LineLayout line : m_lines) {
        if (line.lineStart < headLength)
            continue;
        line.lineStart = line.lineStart - headLength + blockSize;
        moved.push_back(line);
    }
    m_lines = std::move(moved);
}

void EntryConversion::abandon(const Failure& failure) {
    if (m_busy)
        m_ui.SetBusyCursor(false);
    m_busy = false;
    m_ui.ReportFailure(failure);
    m_ui.ShowStage(Stage::Cancelled);
}

void EntryConversion::run() {
    // Memory runs out on a text too large for this machine: that entry fails, the others go on.
    try {
        convert();
    } catch (const std::bad_alloc&) {
        m_text.reset();
        abandon(
            {Failure::Action::Convert, m_sourcePath, FileError::Of(FileError::Cause::OutOfMemory)});
    }
}

void EntryConversion::convert() {
    std::int32_t headLength = 0;
    std::string headerBlock;
    std::string proposedName = fileNameOf(m_sourcePath);

    if (m_live.useheader) {
        if (!readSource())
            return;
        HeaderInfo info;
        const std::int32_t recognised = RecognizeHeader(*m_text, info);
        m_ui.ShowStage(Stage::ConfirmingHeader);
        if (m_ui.ConfirmHeader({info.title, info.author})) {
            // A title and author of nothing a file name can hold leave the source's name.
            if (m_live.useheadertofile) {
                std::string named =
                    m_outputs.fileNameFromShiftJis(ProposeOutputName(info.title, info.author));
                if (!named.empty())
                    proposedName = std::move(named);
            }
            headerBlock = BuildHeaderBlock(info.title, info.author, m_geometry.rowCount);
            headLength = recognised;
        }
    }

    m_ui.ShowStage(Stage::ChoosingOutput);
    const std::optional<std::string> outputPath = m_ui.AskOutputPath(proposedName, m_initialFolder);
    if (!outputPath) {
        m_ui.ShowStage(Stage::Cancelled);
        return;
    }

    m_ui.SetBusyCursor(true);
    m_busy = true;
    m_ui.ShowStage(Stage::Reading);
    if (!readSource())
        return;
    std::string& text = *m_text;

    m_ui.ShowStage(Stage::Preparing);
    if (!headerBlock.empty()) {
        SpliceHeaderBlock(text, headLength, headerBlock);
        moveLinesForTitlePage(static_cast<std::size_t>(headLength), headerBlock.size());
    }
    text += kEndByte;
    // The normalisation takes LF, CR LF and a lone CR alike as one line break, which is what the
    // line-break step would make of them, so the text goes through in a single pass.
    const bool packed = UsesPackedLayout(m_live.spaceline);
    const std::int64_t cells = m_live.usereturn
                                   ? NormalizeVerse(m_geometry, text, m_ui, m_lines, packed)
                                   : NormalizeProse(m_geometry, text, m_ui, m_lines, packed);
    m_lines.clear();

    m_ui.ShowStage(Stage::Converting);
    // The title page and the spaces of the normalisation may take a text past what positions
    // can count.
    if (text.size() > static_cast<std::size_t>(kMaxTextBytes) + 1) {
        m_text.reset();
        abandon(
            {Failure::Action::Convert, m_sourcePath, FileError::Of(FileError::Cause::TooLarge)});
        return;
    }
    PageGeometry geometry = m_geometry;
    geometry.textLength = static_cast<std::int32_t>(text.size());
    PageOutput output(geometry, text, expectedPages(geometry, m_live.spaceline, cells), m_live,
                      m_ui, m_outputs);
    const bool written =
        m_live.usedivision ? output.writeSplit(*outputPath) : output.writeUnsplit(*outputPath);
    if (output.stopped()) {
        m_ui.SetBusyCursor(false);
        m_busy = false;
        m_ui.ShowStage(Stage::Stopped);
        return;
    }
    if (!written) {
        abandon(output.failure());
        return;
    }
    m_ui.SetBusyCursor(false);
    m_busy = false;
    m_ui.ShowStage(Stage::Done);
}

} // namespace

std::string NumberedOutputName(const std::string& chosenPath, std::int64_t fileNumber) {
    const std::size_t dot = chosenPath.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot >= fileNameStart(chosenPath);
    const std::string stem = hasExtension ? chosenPath.substr(0, dot) : chosenPath;
    return stem + "_" + std::to_string(fileNumber) + ".txt";
}

std::vector<std::string> SplitOutputNames(const std::string& chosenPath, std::int64_t pages,
                                          std::int64_t pagesPerFile, bool bySize) {
    if (pagesPerFile < 1)
        pagesPerFile = 1;
    // Numbered names when the size estimate says the text will not fit one file, and also when the
    // pages, counted beforehand, will not: otherwise later files would replace earlier ones.
    if (!bySize && pages <= pagesPerFile)
        return {chosenPath};
    std::vector<std::string> names;
    const std::int64_t files = std::max<std::int64_t>(1, (pages + pagesPerFile - 1) / pagesPerFile);
    names.reserve(static_cast<std::size_t>(files));
    for (std::int64_t n = 1; n <= files; ++n)
        names.push_back(NumberedOutputName(chosenPath, n));
    return names;
}

bool SettingsAreValid(const settings::Settings& s) {
    return s.gyokan >= -1 && s.gyokan <= 4 && s.charsize >= -1 && s.charsize <= 1 &&
           s.spaceline >= -1 && s.spaceline <= 2 && s.divisionsize >= 1 &&
           s.divisionsize <= settings::kMaxDivisionSize;
}

RunResult Converter::RunConversion(const FileList& files, const std::string& infoCarryHome,
                                   const settings::Settings& live, ConversionUi& ui) {
    if (m_running)
        return RunResult::AlreadyRunning;
    if (!SettingsAreValid(live))
        return RunResult::InvalidSettings;
    m_running = true;
    struct RunningFlag {
        bool& flag;
        ~RunningFlag() { flag = false; }
    } running{m_running};
    const std::string initialFolder = live.savepath.empty() ? infoCarryHome : live.savepath;
    const PageGeometry geometry = MakePageGeometry(live.gyokan, live.charsize, live.spaceline);
    for (std::size_t i = 0; i < files.count() && !ui.StopRequested(); ++i) {
        if (files.isSelected(i))
            EntryConversion(files.path(i), initialFolder, geometry, live, ui, m_sources, m_outputs)
                .run();
    }
    return RunResult::Ran;
}

} // namespace engine

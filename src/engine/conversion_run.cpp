#include "conversion_run.h"

#include "column_layout.h"
#include "header_block.h"
#include "header_recognition.h"
#include "output_name.h"
#include "page_writer.h"
#include "source_reader.h"
#include "text_normalization.h"
#include "platform/file_names.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

namespace engine {
namespace {

// Status messages, Shift_JIS.
constexpr const char* kStatusConfirmHeader = "\x83\x77\x83\x62\x83\x5f\x82\xcc\x94\x46\x8e\xaf\x8c\x8b\x89\xca\x82\xf0\x8a\x6d\x94\x46\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2"; // ヘッダの認識結果を確認してください
constexpr const char* kStatusChooseName = "\x95\xdb\x91\xb6\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc\x82\xf0\x90\xdd\x92\xe8\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2"; // 保存ファイル名を設定してください
constexpr const char* kStatusCancelled = "\x83\x52\x83\x93\x83\x6f\x81\x5b\x83\x67\x8f\x88\x97\x9d\x82\xf0\x92\x86\x92\x66\x82\xb5\x82\xdc\x82\xb5\x82\xbd"; // コンバート処理を中断しました
constexpr const char* kStatusReading = "\x95\xcf\x8a\xb7\x82\xb7\x82\xe9\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xf1\x82\xc5\x82\xa2\x82\xdc\x82\xb7"; // 変換するファイルを読み込んでいます
constexpr const char* kStatusPreparing = "\x83\x52\x83\x93\x83\x6f\x81\x5b\x83\x67\x91\x4f\x8f\x88\x97\x9d\x92\x86\x82\xc5\x82\xb7"; // コンバート前処理中です
constexpr const char* kStatusConverting = "\x83\x52\x83\x93\x83\x6f\x81\x5b\x83\x67\x8f\x88\x97\x9d\x92\x86\x82\xc5\x82\xb7"; // コンバート処理中です
constexpr const char* kStatusDone = "\x83\x52\x83\x93\x83\x6f\x81\x5b\x83\x67\x82\xaa\x8a\xae\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82\xbd"; // コンバートが完了しました

// Output is handed to the file in pieces of about this size.
constexpr std::size_t kWriteChunk = 1 << 20;

bool g_running = false;

class RunningFlag {
public:
    RunningFlag() { g_running = true; }
    ~RunningFlag() { g_running = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;
};

// Where the file name starts in a path: after the last folder separator, which is "/" here and
// also "\\" on systems that use that one.
std::size_t fileNameStart(const std::string& path) {
    constexpr bool backslashSeparates = std::filesystem::path::preferred_separator == '\\';
    const std::size_t slash = path.find_last_of(backslashSeparates ? "/\\" : "/");
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string fileNameOf(const std::string& path) { return path.substr(fileNameStart(path)); }

// The layout and writing of one entry's pages into one or more output files. Files are committed
// only when every one of them is complete, so a failure midway replaces nothing.
class PageOutput {
public:
    PageOutput(const PageGeometry& geometry, const std::string& text, const settings::Settings& live,
               ConversionUi& ui, OutputFiles& outputs)
        : m_geometry(geometry), m_text(text), m_live(live), m_ui(ui), m_outputs(outputs) {}

    bool writeUnsplit(const std::string& path);
    bool writeSplit(const std::string& chosenPath);

    const Failure& failure() const { return m_failure; }

private:
    bool open(const std::string& path);
    bool flush(bool all);
    bool closeFile();
    bool commitAll();
    void reportProgress();
    bool fail(Failure::Action action, const std::string& path, std::string reason) {
        m_failure = {action, path, std::move(reason)};
        return false;
    }

    const PageGeometry& m_geometry;
    const std::string& m_text;
    const settings::Settings& m_live;
    ConversionUi& m_ui;
    OutputFiles& m_outputs;

    LayoutState m_state;
    PageRows m_rows;
    int m_percentShown = -1;
    std::string m_buffer;
    std::string m_currentPath;
    std::unique_ptr<OutputFile> m_current;
    std::vector<std::pair<std::string, std::unique_ptr<OutputFile>>> m_finished;
    Failure m_failure{Failure::Action::WriteOutput, {}, {}};
};

void PageOutput::reportProgress() {
    const std::int64_t total = std::max<std::int64_t>(1, m_geometry.textLength - 1);
    const std::int64_t done = std::min<std::int64_t>(total, m_state.textCursor - 1);
    const int percent = static_cast<int>(done * 100 / total);
    if (percent != m_percentShown) {
        m_percentShown = percent;
        m_ui.ShowProgress(done, total);
    }
}

bool PageOutput::open(const std::string& path) {
    std::string error;
    m_current = m_outputs.create(path, error);
    m_currentPath = path;
    if (!m_current)
        return fail(Failure::Action::WriteOutput, path, error);
    return true;
}

bool PageOutput::flush(bool all) {
    if (m_buffer.empty() || (!all && m_buffer.size() < kWriteChunk))
        return true;
    std::string error;
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
    std::string error;
    if (!m_current->finish(error))
        return fail(Failure::Action::WriteOutput, m_currentPath, error);
    m_finished.emplace_back(m_currentPath, std::move(m_current));
    return true;
}

bool PageOutput::commitAll() {
    for (auto& [path, file] : m_finished) {
        m_ui.ProcessPendingEvents();
        std::string error;
        if (!file->commit(error))
            return fail(Failure::Action::WriteOutput, path, error);
    }
    m_finished.clear();
    return true;
}

bool PageOutput::writeUnsplit(const std::string& path) {
    if (auto refusal = m_outputs.approve({path}))
        return fail(Failure::Action::OutputExists, path, *refusal);
    if (!open(path))
        return false;
    const int spaceline = m_live.spaceline; // chosen once for an unsplit output
    for (bool exhausted = false; !exhausted;) {
        m_ui.ProcessPendingEvents();
        exhausted = LayoutPage(spaceline, m_geometry, m_text, m_rows, m_state);
        WritePage(m_geometry, m_buffer, m_rows);
        reportProgress();
        if (!flush(false))
            return false;
    }
    return closeFile() && commitAll();
}

bool PageOutput::writeSplit(const std::string& chosenPath) {
    // Numbered names when the size estimate says the text will not fit one file, and also when the
    // pages, counted beforehand, will not: otherwise later files would replace earlier ones.
    const std::int64_t pagesPerFile = m_live.divisionsize;
    const bool bySize = pagesPerFile * m_geometry.rowCount * 42 < m_geometry.textLength;
    const std::int64_t pages =
        CountPages(m_geometry, UsesPackedLayout(m_live.spaceline), m_text, &m_ui);
    const bool numbered = bySize || pages > pagesPerFile;
    std::vector<std::string> paths;
    if (numbered) {
        for (std::int64_t n = 1; n <= (pages + pagesPerFile - 1) / pagesPerFile; ++n)
            paths.push_back(NumberedOutputName(chosenPath, static_cast<int>(n)));
    } else {
        paths.push_back(chosenPath);
    }
    if (auto refusal = m_outputs.approve(paths))
        return fail(Failure::Action::OutputExists, paths.front(), *refusal);

    bool exhausted = false;
    for (int fileNumber = 1; !exhausted; ++fileNumber) {
        // Settings changed while the run serves events could make more files than counted; they
        // still get names of their own rather than replacing the first.
        const bool useNumber = numbered || fileNumber > 1;
        if (!open(useNumber ? NumberedOutputName(chosenPath, fileNumber) : chosenPath))
            return false;
        for (int j = 0; j < std::max(1, m_live.divisionsize); ++j) {
            m_ui.ProcessPendingEvents();
            exhausted = LayoutPage(m_live.spaceline, m_geometry, m_text, m_rows, m_state);
            WritePage(m_geometry, m_buffer, m_rows);
            reportProgress();
            if (!flush(false))
                return false;
            if (exhausted)
                break;
        }
        if (!closeFile())
            return false;
    }
    return commitAll();
}

void convertEntry(const std::string& sourcePath, const std::string& initialFolder,
                  const PageGeometry& runGeometry, const settings::Settings& live, ConversionUi& ui,
                  OutputFiles& outputs) {
    std::int32_t headLength = 0;
    std::string headerBlock;
    std::string proposedName = fileNameOf(sourcePath);

    if (live.useheader) {
        HeaderInfo info;
        const HeaderRecognition head = RecognizeHeader(sourcePath, info, ui);
        if (!head.readable) {
            ui.ReportFailure({Failure::Action::ReadSource, sourcePath, head.reason});
            ui.ShowStatus(kStatusCancelled, true);
            return;
        }
        ui.ShowStatus(kStatusConfirmHeader, false);
        if (ConfirmHeader(info.title, info.author, ui)) {
            if (live.useheadertofile)
                proposedName = platform::FileNameFromShiftJis(ProposeOutputName(info.title, info.author));
            headerBlock = BuildHeaderBlock(info.title, info.author, runGeometry.rowCount);
            headLength = head.headLength;
        }
    }

    ui.ShowStatus(kStatusChooseName, false);
    const std::optional<std::string> outputPath = ui.AskOutputPath(proposedName, initialFolder);
    if (!outputPath) {
        ui.ShowStatus(kStatusCancelled, true);
        return;
    }

    ui.SetBusyCursor(true);
    ui.ShowStatus(kStatusReading, false);
    std::string error;
    // An accepted title page takes the place of the head lines as the text is read.
    std::optional<std::string> text = ReadSourceText(sourcePath, ui, error, headerBlock,
                                                     static_cast<std::size_t>(headLength));
    auto abandon = [&](const Failure& failure) {
        ui.SetBusyCursor(false);
        ui.ReportFailure(failure);
        ui.ShowStatus(kStatusCancelled, true);
    };
    if (!text) {
        abandon({Failure::Action::ReadSource, sourcePath, error});
        return;
    }

    ui.ShowStatus(kStatusPreparing, false);
    // The normalisation takes LF, CR LF and a lone CR alike as one line break, which is what the
    // line-break step would make of them, so the text goes through in a single pass.
    if (live.usereturn)
        NormalizeVerse(runGeometry, *text, ui);
    else
        NormalizeProse(runGeometry, *text, ui);

    ui.ShowStatus(kStatusConverting, false);
    if (text->size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        abandon({Failure::Action::ReadSource, sourcePath, std::strerror(EFBIG)});
        return;
    }
    PageGeometry geometry = runGeometry;
    geometry.textLength = static_cast<std::int32_t>(text->size());
    PageOutput output(geometry, *text, live, ui, outputs);
    const bool written = live.usedivision ? output.writeSplit(*outputPath) : output.writeUnsplit(*outputPath);
    if (!written) {
        abandon(output.failure());
        return;
    }
    ui.SetBusyCursor(false);
    ui.ShowStatus(kStatusDone, true);
}

} // namespace

std::string NumberedOutputName(const std::string& chosenPath, int fileNumber) {
    const std::size_t dot = chosenPath.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot >= fileNameStart(chosenPath);
    const std::string stem = hasExtension ? chosenPath.substr(0, dot) : chosenPath;
    return stem + "_" + std::to_string(fileNumber) + ".txt";
}

bool ConversionRunning() { return g_running; }

bool RunConversion(const FileList& files, const std::string& infoCarryHome,
                   const settings::Settings& live, ConversionUi& ui, OutputFiles& outputs) {
    if (g_running)
        return false;
    RunningFlag running;
    const std::string initialFolder = live.savepath.empty() ? infoCarryHome : live.savepath;
    const PageGeometry geometry = MakePageGeometry(live.gyokan, live.charsize, live.spaceline);
    for (std::size_t i = 0; i < files.count(); ++i) {
        if (files.isSelected(i))
            convertEntry(files.path(i), initialFolder, geometry, live, ui, outputs);
    }
    return true;
}

bool RunConversion(const FileList& files, const std::string& infoCarryHome,
                   const settings::Settings& live, ConversionUi& ui) {
    FileSystemOutputFiles outputs;
    return RunConversion(files, infoCarryHome, live, ui, outputs);
}

} // namespace engine

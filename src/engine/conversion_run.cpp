#include "conversion_run.h"

#include "header_recognition.h"
#include "output_name.h"
#include "page_output.h"
#include "prepared_text.h"

#include <new>
#include <optional>

namespace engine {
namespace {

// The busy cursor from the moment an output path is chosen until the entry is done, whichever
// way it ends.
class BusyCursor {
  public:
    explicit BusyCursor(ConversionUi& ui) : m_ui(ui) { m_ui.SetBusyCursor(true); }
    ~BusyCursor() { m_ui.SetBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    ConversionUi& m_ui;
};

// One entry of the run. Its source is read once: the title and author are recognised in the text
// that is then converted.
class EntryConversion {
  public:
    EntryConversion(std::string sourcePath, const std::string& initialFolder,
                    const PageGeometry& geometry, const Settings& live, ConversionUi& ui,
                    SourceFiles& sources, InputStage& input, OutputFiles& outputs)
        : m_sourcePath(std::move(sourcePath)), m_initialFolder(initialFolder), m_geometry(geometry),
          m_live(live), m_ui(ui), m_sources(sources), m_input(input), m_outputs(outputs) {}

    // False when the run is to end after this entry: the user stopped it.
    bool run();

  private:
    void convert();
    bool readSource();
    void abandon(const Failure& failure);

    const std::string m_sourcePath;
    const std::string& m_initialFolder;
    const PageGeometry& m_geometry;
    const Settings& m_live;
    ConversionUi& m_ui;
    SourceFiles& m_sources;
    InputStage& m_input;
    OutputFiles& m_outputs;

    std::optional<SourceText> m_source; // as read, once read
    std::optional<BusyCursor> m_busy;
    bool m_stopped = false;
};

bool EntryConversion::readSource() {
    if (m_source)
        return true;
    SourceBytes file = m_sources.read(m_sourcePath, m_ui);
    if (!file.ok) {
        abandon({Failure::Action::ReadSource, m_sourcePath, std::move(file.error)});
        return false;
    }
    m_source = m_input.prepare(std::move(file.bytes), m_live, m_ui);
    if (m_source->encodingGuess)
        m_ui.ShowEncodingGuess(*m_source->encodingGuess);
    if (m_source->replaced > 0)
        m_ui.ShowReplacedCharacters(m_source->replaced);
    if (m_source->gaiji)
        m_ui.ShowGaijiCounts(*m_source->gaiji);
    if (m_source->endOfFileMark)
        m_ui.ShowTextCut(*m_source->endOfFileMark);
    return true;
}

void EntryConversion::abandon(const Failure& failure) {
    m_busy.reset();
    m_ui.ReportFailure(failure);
    m_ui.ShowStage(Stage::Cancelled);
}

bool EntryConversion::run() {
    // Memory runs out on a text too large for this machine: that entry fails, the others go on.
    try {
        convert();
    } catch (const std::bad_alloc&) {
        m_source.reset();
        abandon(
            {Failure::Action::Convert, m_sourcePath, FileError::Of(FileError::Cause::OutOfMemory)});
    }
    return !m_stopped;
}

void EntryConversion::convert() {
    std::optional<TitlePage> titlePage;
    std::string proposedName = FileNameOf(m_sourcePath);

    if (m_live.useheader) {
        if (!readSource())
            return;
        HeaderInfo info;
        const std::int32_t headLength = RecognizeHeader(m_source->text, info);
        const LostCharacters lost =
            SplitLostCharacters(info.title, info.author, m_source->lostInHead);
        m_ui.ShowStage(Stage::ConfirmingHeader);
        if (m_ui.ConfirmHeader({info.title, info.author, lost.title, lost.author})) {
            // A title and author of nothing a file name can hold leave the source's name.
            if (m_live.useheadertofile) {
                std::string named =
                    m_outputs.fileNameFromShiftJis(ProposeOutputName(info.title, info.author),
                                                   LostInOutputName(info.title, info.author, lost));
                if (!named.empty())
                    proposedName = std::move(named);
            }
            titlePage = MakeTitlePage(info, headLength, m_geometry);
        }
    }

    m_ui.ShowStage(Stage::ChoosingOutput);
    const std::optional<std::string> outputPath = m_ui.AskOutputPath(proposedName, m_initialFolder);
    if (!outputPath) {
        m_ui.ShowStage(Stage::Cancelled);
        return;
    }

    m_busy.emplace(m_ui);
    m_ui.ShowStage(Stage::Reading);
    if (!readSource())
        return;

    m_ui.ShowStage(Stage::Preparing);
    std::optional<PreparedText> prepared =
        PrepareText(std::move(*m_source), titlePage ? &*titlePage : nullptr, m_geometry, m_live,
                    m_ui, /*writeAhead=*/true);
    m_source.reset();

    m_ui.ShowStage(Stage::Converting);
    if (!prepared) {
        abandon(
            {Failure::Action::Convert, m_sourcePath, FileError::Of(FileError::Cause::TooLarge)});
        return;
    }
    PageOutput output(*prepared, m_live, m_ui, m_outputs);
    const bool written =
        m_live.usedivision ? output.writeSplit(*outputPath) : output.writeUnsplit(*outputPath);
    if (output.stopped()) {
        m_busy.reset();
        m_stopped = true;
        m_ui.ShowStage(Stage::Stopped);
        return;
    }
    if (output.skipped()) {
        m_busy.reset();
        m_ui.ShowStage(Stage::Cancelled);
        return;
    }
    if (!written) {
        abandon(output.failure());
        return;
    }
    m_busy.reset();
    m_ui.ShowStage(Stage::Done);
}

} // namespace

RunResult Converter::RunConversion(const FileList& files, const std::string& infoCarryHome,
                                   const Settings& live, ConversionUi& ui) {
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
        if (files.isSelected(i) && !EntryConversion(files.path(i), initialFolder, geometry, live,
                                                    ui, m_sources, m_input, m_outputs)
                                        .run())
            break;
    }
    return RunResult::Ran;
}

} // namespace engine

#include "convert_command.h"

#include "cli_conversion_ui.h"
#include "cli_output_files.h"
#include "cli_sources.h"
#include "command_line.h"
#include "engine/conversion_run.h"
#include "files/source_files.h"
#include "input/source_text.h"
#include "settings/settings_store.h"
#include "working_folder.h"

#include <cerrno>
#include <system_error>

namespace cli {
namespace {

constexpr const char* kProgramName = "pagelume-convert";

int usageError(std::ostream& err, const std::string& message) {
    err << kProgramName << ": " << message << '\n'
        << "Try '" << kProgramName << " --help' for more information.\n";
    return kExitUsage;
}

// One source at a time, so each source's failure is known on its own.
class SingleSource final : public engine::FileList {
  public:
    explicit SingleSource(std::string path) : m_path(std::move(path)) {}
    std::size_t count() const override { return 1; }
    std::string path(std::size_t) const override { return m_path; }
    bool isSelected(std::size_t) const override { return true; }

  private:
    std::string m_path;
};

// What one SOURCE of the command line stands for: itself, or the texts of a zip, each named in
// messages as "book.zip › member.txt". Nothing when the zip cannot be read or will not do; the
// failure is told.
struct Entry {
    std::string path; // as the run reads it
    std::string name; // as messages give it
};

std::vector<Entry> entriesOf(const std::string& source, const WorkingFolder& folder,
                             const OutputChoice& choice, CliConversionUi& ui) {
    if (source == "-")
        return {{CliSources::kStandardInput, source}};
    const std::string path = folder.resolve(source);
    if (!files::IsZipPath(path))
        return {{path, source}};
    engine::NoEventPump pump;
    const files::ZipTexts texts = files::ListZipTexts(path, pump);
    if (!texts.ok) {
        ui.beginSource(source, false);
        ui.ReportFailure({engine::Failure::Action::ReadSource, path, texts.error});
        return {};
    }
    // Every text would go to the one output -o names, each replacing the one before.
    if (choice.path && texts.members.size() > 1) {
        ui.beginSource(source, false);
        ui.reportSourceFailure("not converting '" + source + "': it holds " +
                               std::to_string(texts.members.size()) +
                               " texts, and -o/--output names one output");
        return {};
    }
    std::vector<Entry> entries;
    for (const std::string& member : texts.members)
        entries.push_back(
            {engine::MemberSourcePath(path, member), source + " \xE2\x80\xBA " + member}); // ›
    return entries;
}

// The options override what the settings file (or the defaults) gave.
void applyOptions(const ConvertOptions& options, engine::Settings& settings) {
    if (options.lineSpacing)
        settings.gyokan = *options.lineSpacing;
    if (options.charSize)
        settings.charsize = *options.charSize;
    if (options.blankColumn)
        settings.spaceline = *options.blankColumn;
    if (options.verse)
        settings.usereturn = true;
    if (options.header)
        settings.useheader = true;
    if (options.headerName)
        settings.useheadertofile = true;
    if (options.split) {
        settings.usedivision = true;
        settings.divisionsize = *options.split;
    }
    if (options.encoding)
        settings.encoding = *options.encoding;
    if (options.aozora)
        settings.aozora = true;
    if (options.ruby)
        settings.rubyInParentheses = *options.ruby == "paren";
    if (options.kinsoku)
        settings.kinsoku = true;
    if (options.tcyDigits)
        settings.tcyDigits = true;
}

} // namespace

int RunConvertCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                      std::ostream& err, const std::string& workingFolder,
                      const InterruptFlag* interrupt) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.ok())
        return usageError(err, parsed.usageError);
    const ConvertOptions& options = parsed.options;
    if (options.action == ConvertOptions::Action::Help) {
        out << HelpText();
        return kExitConverted;
    }
    if (options.action == ConvertOptions::Action::Version) {
        out << kProgramName << ' ' << PAGELUME_VERSION << '\n';
        return kExitConverted;
    }

    const WorkingFolder folder(workingFolder);
    engine::Settings settings;
    if (options.settingsFile) {
        // Unlike the window, which starts from the defaults, a script that names a settings file
        // must not get a conversion it did not ask for.
        const settings::SettingsFileLoad load =
            settings::LoadSettings(folder.resolve(*options.settingsFile));
        using Outcome = settings::SettingsFileLoad::Outcome;
        if (load.outcome != Outcome::Read) {
            const std::string reason = load.outcome == Outcome::Missing
                                           ? std::generic_category().message(ENOENT)
                                           : load.reason;
            return usageError(err, "cannot read settings file '" + *options.settingsFile +
                                       "': " + reason);
        }
        settings = load.settings;
    }
    applyOptions(options, settings);
    if (options.output == CliOutputFiles::kStandardOutput && settings.usedivision)
        return usageError(err, "the settings file asks for a split output, which cannot go to "
                               "standard output (-o -)");

    OutputChoice choice;
    if (options.output) {
        choice.path = *options.output == CliOutputFiles::kStandardOutput
                          ? *options.output
                          : folder.resolve(*options.output);
    }
    if (options.outputDir)
        choice.folder = folder.resolve(*options.outputDir);
    CliOutputFiles outputs(folder, out, options.force, choice.folder);
    std::vector<std::string> sourcePaths;
    bool readsStandardInput = false;
    for (const std::string& source : options.sources) {
        if (source == "-")
            readsStandardInput = true;
        else
            sourcePaths.push_back(folder.resolve(source));
    }
    outputs.setSources(files::RunSources(sourcePaths, readsStandardInput));
    CliSources sources(in);
    input::SourceInput input;
    CliConversionUi ui(folder, err, choice, settings.useheadertofile);
    engine::Converter converter(sources, input, outputs);

    ui.stopWhen(interrupt);
    const auto interrupted = [interrupt] { return interrupt && *interrupt != 0; };
    int failed = 0;
    std::size_t complete = 0;
    std::size_t notStarted = 0;
    std::string stoppedIn; // the source in hand when the run stopped, if any
    for (std::size_t s = 0; s < options.sources.size() && notStarted == 0; ++s) {
        if (interrupted()) {
            notStarted = options.sources.size() - s;
            break;
        }
        const std::string& source = options.sources[s];
        const bool standardInput = source == "-";
        const std::vector<Entry> entries = entriesOf(source, folder, choice, ui);
        if (entries.empty()) {
            ++failed;
            continue;
        }
        for (std::size_t e = 0; e < entries.size(); ++e) {
            if (interrupted()) {
                notStarted = entries.size() - e + options.sources.size() - s - 1;
                break;
            }
            ui.beginSource(entries[e].name, standardInput);
            const SingleSource list(entries[e].path);
            // The save question's folder is not used: outputs go where -o or -d or the current
            // folder says.
            converter.RunConversion(list, std::string(), settings, ui);
            if (ui.sourceFailed())
                ++failed;
            if (ui.sourceDone())
                ++complete;
            else if (interrupted() && !ui.sourceFailed())
                stoppedIn = ui.sourceLabel();
        }
    }
    if (interrupted()) {
        const int signal = *interrupt;
        err << kProgramName << ": stopped by SIG" << SignalName(signal) << ": " << complete
            << (complete == 1 ? " source's outputs are" : " sources' outputs are") << " complete";
        if (!stoppedIn.empty())
            err << "; " << stoppedIn << " was not converted (its outputs stand as they were)";
        if (notStarted > 0)
            err << "; " << notStarted << (notStarted == 1 ? " source was" : " sources were")
                << " not started";
        err << '\n';
        return InterruptedExitStatus(signal);
    }
    return failed > 0 ? kExitSourceFailed : kExitConverted;
}

} // namespace cli

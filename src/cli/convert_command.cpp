#include "convert_command.h"

#include "cli_conversion_ui.h"
#include "cli_output_files.h"
#include "cli_sources.h"
#include "command_line.h"
#include "engine/conversion_run.h"
#include "engine/entry_turns.h"
#include "files/source_files.h"
#include "input/source_text.h"
#include "settings/settings_store.h"
#include "working_folder.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <system_error>
#include <thread>

namespace cli {
namespace {

constexpr const char* kProgramName = "pagelume-convert";

int usageError(std::ostream& err, const std::string& message) {
    err << kProgramName << ": " << message << '\n'
        << "Try '" << kProgramName << " --help' for more information.\n";
    return kExitUsage;
}

// What one SOURCE of the command line stands for: itself, or the texts of a zip, each named in
// messages as "book.zip › member.txt". Nothing when the zip cannot be read or will not do; the
// failure is told.
struct Entry {
    std::string path; // as the run reads it
    std::string name; // as messages give it
};

// What the batch converts, in order: every entry of every source, and in its place a source that
// stands for none (a zip that could not be listed), whose failure was told into `failure`.
struct Item {
    std::size_t source;      // its index among the sources of the command line
    std::size_t ofSource;    // its index among that source's items
    std::size_t sourceItems; // how many items the source stands for
    std::optional<Entry> entry;
    std::string failure;
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

std::vector<Item> itemsOf(const std::vector<std::string>& sources, const WorkingFolder& folder,
                          const OutputChoice& choice, bool nameFromHeader) {
    std::vector<Item> items;
    for (std::size_t s = 0; s < sources.size(); ++s) {
        std::ostringstream failure;
        CliConversionUi ui(folder, failure, choice, nameFromHeader);
        const std::vector<Entry> entries = entriesOf(sources[s], folder, choice, ui);
        if (entries.empty())
            items.push_back({s, 0, 1, std::nullopt, failure.str()});
        for (std::size_t e = 0; e < entries.size(); ++e)
            items.push_back({s, e, entries.size(), entries[e], {}});
    }
    return items;
}

// How an item ended, and what it told.
struct ItemResult {
    std::string messages;
    std::string label;
    bool failed = false;
    bool done = false;
};

// The items' messages on the error stream in the order of the items, whatever order they end in:
// each item's are told once every item before it has ended.
class OrderedMessages {
  public:
    OrderedMessages(std::ostream& err, std::size_t count) : m_err(err), m_results(count) {}

    void ended(std::size_t item, ItemResult result) {
        const std::lock_guard lock(m_mutex);
        m_results[item] = std::move(result);
        m_ended.insert(item);
        while (m_ended.contains(m_told)) {
            m_err << m_results[m_told].messages;
            m_results[m_told].messages.clear();
            ++m_told;
        }
        m_err.flush();
    }
    // A message that cannot wait for its turn.
    void tellNow(const std::string& message) {
        const std::lock_guard lock(m_mutex);
        m_err << message;
        m_err.flush();
    }

    // Once every item started has ended.
    const std::vector<ItemResult>& results() const { return m_results; }
    std::size_t told() const { return m_told; }

  private:
    std::mutex m_mutex;
    std::ostream& m_err;
    std::vector<ItemResult> m_results;
    std::set<std::size_t> m_ended;
    std::size_t m_told = 0;
};

// "'a'", "'a' and 'b'", "'a', 'b' and 'c'".
std::string listOf(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            list += i + 1 == names.size() ? " and " : ", ";
        list += names[i];
    }
    return list;
}

std::size_t defaultJobs() {
    return std::max(1u, std::thread::hardware_concurrency());
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

    const auto interrupted = [interrupt] { return interrupt && *interrupt != 0; };
    const std::vector<Item> items =
        itemsOf(options.sources, folder, choice, settings.useheadertofile);
    // A single entry is converted as it always was, with no turn to take.
    const std::size_t workers = std::min(
        items.size(), options.jobs ? static_cast<std::size_t>(*options.jobs) : defaultJobs());
    OrderedMessages messages(err, items.size());
    engine::EntryTurns turns(items.size());
    // Every entry is read, converted and written on its own; the outputs are shared, and placed
    // in the order of the entries.
    const auto convert = [&](std::size_t i, engine::WorkerSlot& slot) {
        const Item& item = items[i];
        ItemResult result;
        if (!item.entry) {
            result.messages = item.failure;
            result.failed = true;
        } else {
            std::ostringstream told;
            CliConversionUi ui(folder, told, choice, settings.useheadertofile);
            ui.stopWhen(interrupt);
            ui.tellWaitingThrough([&](const std::string& m) { messages.tellNow(m); });
            ui.beginSource(item.entry->name, options.sources[item.source] == "-");
            CliSources sources(in);
            input::SourceInput input;
            engine::TurnTakingOutputs besideOthers(outputs, turns, i, slot);
            engine::Converter converter(
                sources, input,
                workers > 1 ? static_cast<engine::OutputFiles&>(besideOthers) : outputs);
            // The save question's folder is not used: outputs go where -o or -d or the current
            // folder says.
            // One source at a time, so each source's failure is known on its own.
            converter.RunConversion(engine::OneFile(item.entry->path), std::string(), settings, ui);
            result.messages = told.str();
            result.label = ui.sourceLabel();
            result.failed = ui.sourceFailed();
            result.done = ui.sourceDone();
        }
        messages.ended(i, std::move(result));
        turns.end(i);
    };
    engine::RunOnWorkers(
        items.size(), workers, [&] { return !interrupted(); }, convert);

    int failed = 0;
    std::size_t complete = 0;
    std::vector<std::string> stoppedIn; // the entries in hand when the run stopped
    const std::size_t started = messages.told();
    for (std::size_t i = 0; i < started; ++i) {
        const ItemResult& result = messages.results()[i];
        failed += result.failed ? 1 : 0;
        complete += result.done ? 1 : 0;
        if (!result.done && !result.failed && interrupted())
            stoppedIn.push_back(result.label);
    }
    // The sources not started: the rest of the source in hand, one by one, and every later source.
    std::size_t notStarted = 0;
    if (started < items.size()) {
        const Item& first = items[started];
        notStarted = first.sourceItems - first.ofSource + options.sources.size() - first.source - 1;
    }
    if (interrupted()) {
        const int signal = *interrupt;
        err << kProgramName << ": stopped by SIG" << SignalName(signal) << ": " << complete
            << (complete == 1 ? " source's outputs are" : " sources' outputs are") << " complete";
        if (stoppedIn.size() == 1)
            err << "; " << stoppedIn.front()
                << " was not converted (its outputs stand as they were)";
        else if (!stoppedIn.empty())
            err << "; " << listOf(stoppedIn)
                << " were not converted (their outputs stand as they were)";
        if (notStarted > 0)
            err << "; " << notStarted << (notStarted == 1 ? " source was" : " sources were")
                << " not started";
        err << '\n';
        return InterruptedExitStatus(signal);
    }
    return failed > 0 ? kExitSourceFailed : kExitConverted;
}

} // namespace cli

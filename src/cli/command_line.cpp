#include "command_line.h"

#include "engine/settings.h"

#include <charconv>
#include <iterator>
#include <string_view>

namespace cli {
namespace {

enum class OptionId {
    LineSpacing,
    CharSize,
    BlankColumn,
    Verse,
    Header,
    HeaderName,
    Split,
    Encoding,
    Aozora,
    Ruby,
    Kinsoku,
    TcyDigits,
    Settings,
    Output,
    OutputDir,
    Force,
    Jobs,
    Help,
    Version
};

// More workers than this only add memory: no machine converts faster with them.
constexpr engine::SettingRange kJobsRange{1, 256};

struct KnownOption {
    OptionId id;
    std::string_view longName; // without "--"
    char shortName;            // 0 when there is none
    bool takesValue;
};

constexpr KnownOption kOptions[] = {
    {OptionId::LineSpacing, "line-spacing", 0, true},
    {OptionId::CharSize, "char-size", 0, true},
    {OptionId::BlankColumn, "blank-column", 0, true},
    {OptionId::Verse, "verse", 0, false},
    {OptionId::Header, "header", 0, false},
    {OptionId::HeaderName, "header-name", 0, false},
    {OptionId::Split, "split", 0, true},
    {OptionId::Encoding, "encoding", 0, true},
    {OptionId::Aozora, "aozora", 0, false},
    {OptionId::Ruby, "ruby", 0, true},
    {OptionId::Kinsoku, "kinsoku", 0, false},
    {OptionId::TcyDigits, "tcy-digits", 0, false},
    {OptionId::Settings, "settings", 0, true},
    {OptionId::Output, "output", 'o', true},
    {OptionId::OutputDir, "output-dir", 'd', true},
    {OptionId::Force, "force", 'f', false},
    {OptionId::Jobs, "jobs", 'j', true},
    {OptionId::Help, "help", 'h', false},
    {OptionId::Version, "version", 0, false},
};

const KnownOption* findLong(std::string_view name) {
    for (const KnownOption& known : kOptions) {
        if (known.longName == name)
            return &known;
    }
    return nullptr;
}

const KnownOption* findShort(char name) {
    for (const KnownOption& known : kOptions) {
        if (known.shortName != 0 && known.shortName == name)
            return &known;
    }
    return nullptr;
}

// How the option is written in messages: "--split", or "-o/--output" for one with a short form.
std::string displayName(const KnownOption& known) {
    std::string name = "--" + std::string(known.longName);
    if (known.shortName != 0)
        name = std::string("-") + known.shortName + "/" + name;
    return name;
}

// A whole decimal number within [low, high]; nothing else (no spaces, no trailing letters).
// "auto, sjis, ... or iso-2022-jp": the encodings one may choose.
std::string encodingNames() {
    std::string names;
    const std::size_t count = std::size(engine::kEncodingChoices);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            names += i + 1 == count ? " or " : ", ";
        names += engine::kEncodingChoices[i].name;
    }
    return names;
}

std::optional<int> numberInRange(std::string_view text, int low, int high) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (value < low || value > high)
        return std::nullopt;
    return static_cast<int>(value);
}

// Stores one option; returns a usage error or an empty string.
std::string apply(const KnownOption& known, const std::string& value, ConvertOptions& options) {
    auto number = [&](std::optional<int>& field, engine::SettingRange range) -> std::string {
        field = numberInRange(value, range.low, range.high);
        if (field)
            return {};
        return "--" + std::string(known.longName) + " takes a number from " +
               std::to_string(range.low) + " to " + std::to_string(range.high) + ", not '" + value +
               "'";
    };
    auto path = [&](std::optional<std::string>& field) -> std::string {
        if (value.empty())
            return displayName(known) + " needs a file name";
        field = value;
        return {};
    };
    switch (known.id) {
    case OptionId::LineSpacing:
        return number(options.lineSpacing, engine::kGyokanRange);
    case OptionId::CharSize:
        return number(options.charSize, engine::kCharsizeRange);
    case OptionId::BlankColumn:
        return number(options.blankColumn, engine::kSpacelineRange);
    case OptionId::Split:
        return number(options.split, engine::kDivisionSizeRange);
    case OptionId::Verse:
        options.verse = true;
        return {};
    case OptionId::Encoding:
        options.encoding = engine::EncodingFromName(value);
        if (!options.encoding)
            return "--encoding takes " + encodingNames() + ", not '" + value + "'";
        return {};
    case OptionId::Aozora:
        options.aozora = true;
        return {};
    case OptionId::Ruby:
        if (value != "drop" && value != "paren")
            return "--ruby takes drop or paren, not '" + value + "'";
        options.ruby = value;
        return {};
    case OptionId::Kinsoku:
        options.kinsoku = true;
        return {};
    case OptionId::TcyDigits:
        options.tcyDigits = true;
        return {};
    case OptionId::Header:
        options.header = true;
        return {};
    case OptionId::HeaderName:
        options.headerName = true;
        return {};
    case OptionId::Force:
        options.force = true;
        return {};
    case OptionId::Settings:
        return path(options.settingsFile);
    case OptionId::Output:
        return path(options.output);
    case OptionId::OutputDir:
        return path(options.outputDir);
    case OptionId::Jobs:
        return number(options.jobs, kJobsRange);
    case OptionId::Help:
        options.action = ConvertOptions::Action::Help;
        return {};
    case OptionId::Version:
        options.action = ConvertOptions::Action::Version;
        return {};
    }
    return {};
}

// The rules between options and sources, checked once everything is read.
std::string checkCombination(const ConvertOptions& options) {
    if (options.sources.empty())
        return "no SOURCE given";
    int fromStandardInput = 0;
    for (const std::string& source : options.sources)
        fromStandardInput += source == "-" ? 1 : 0;
    if (fromStandardInput > 1)
        return "standard input ('-') can be given as a SOURCE only once";
    if (options.output && options.outputDir)
        return "-o/--output and -d/--output-dir cannot be used together";
    if (options.output && options.sources.size() > 1)
        return "-o/--output takes a single SOURCE, not " + std::to_string(options.sources.size());
    if (options.output == "-" && options.split)
        return "a split output (--split) cannot go to standard output (-o -)";
    return {};
}

} // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    ConvertOptions& options = parsed.options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            options.sources.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        const KnownOption* known = nullptr;
        std::optional<std::string> attached; // a value written into the same argument
        if (arg.starts_with("--")) {
            const std::size_t equals = arg.find('=');
            known = findLong(std::string_view(arg).substr(
                2, equals == std::string::npos ? std::string::npos : equals - 2));
            if (equals != std::string::npos)
                attached = arg.substr(equals + 1);
        } else {
            known = findShort(arg[1]);
            if (arg.size() > 2)
                attached = arg.substr(2);
            // A short option without a value stands alone: "-fx" is not "-f -x".
            if (known && !known->takesValue && attached)
                known = nullptr;
        }
        if (!known) {
            parsed.usageError = "unknown option '" + arg + "'";
            return parsed;
        }
        std::string value;
        if (known->takesValue) {
            if (attached) {
                value = *attached;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                parsed.usageError = displayName(*known) + " needs a value";
                return parsed;
            }
        } else if (attached) {
            parsed.usageError = "--" + std::string(known->longName) + " takes no value";
            return parsed;
        }
        parsed.usageError = apply(*known, value, options);
        if (!parsed.ok())
            return parsed;
        // Help and version are answered at once, whatever else the line holds.
        if (options.action != ConvertOptions::Action::Convert)
            return parsed;
    }
    parsed.usageError = checkCombination(options);
    return parsed;
}

std::string HelpText() {
    // clang-format off
    return
        "Usage: pagelume-convert [OPTIONS] SOURCE...\n"
        "Turns Japanese text files (Shift_JIS) into vertical-writing pages for infoCarry.\n"
        "日本語のテキスト（シフトJIS）を infoCarry で読める縦書きのテキストに変換します。\n"
        "\n"
        "Each SOURCE becomes one output file, or a numbered series of files with --split.\n"
        "The output goes into the current folder under the source's own file name,\n"
        "unless -o or -d says otherwise (a name without an extension gets \".txt\").\n"
        "SOURCE \"-\" reads standard input; its output is named \"stdin.txt\".\n"
        "A SOURCE ending in \".zip\" (as Aozora Bunko distributes its texts) stands for\n"
        "each .txt file in it, named \"book.zip \xE2\x80\xBA member.txt\" in messages and\n"
        "after the member in the output; a member over 256 MiB is refused.\n"
        "\n"
        "Page layout:\n"
        "      --line-spacing N   space between the columns: 0 none (23 rows a page),\n"
        "                         1 two dots (19 rows), 2 four dots (16), 3 six dots (14),\n"
        "                         4 newspaper mode (11 rows, normal characters only).\n"
        "                         Default 0.\n"
        "      --char-size N      0 normal characters, 1 double-height characters\n"
        "                         (10, 9, 8 or 7 rows a page). Default 0.\n"
        "      --blank-column N   a blank column after every column of text: 0 two bytes\n"
        "                         wide, 1 one byte wide, 2 none. Default 1.\n"
        "      --verse            start every line of the source in a new column (poems\n"
        "                         and the like). Without it the lines of a paragraph run\n"
        "                         on, and a new column starts only for a new paragraph,\n"
        "                         a quotation, or after an empty line.\n"
        "      --kinsoku          no column starts with 、。，．」』）〕】》〉・ー or a small\n"
        "                         kana: the character before them moves to the next\n"
        "                         column with them (at most three characters move).\n"
        "      --tcy-digits       set every number of exactly two digits upright in one\n"
        "                         cell, as two half-width digits.\n"
        "\n"
        "Title and author:\n"
        "      --header           take the first two lines of each source as its title\n"
        "                         and author, and put them on a title page of their own.\n"
        "      --header-name      with --header, name the output \"title[author].txt\".\n"
        "\n"
        "Input:\n"
        "      --encoding NAME    the encoding of the sources: auto (the default), sjis,\n"
        "                         utf-8, utf-16le, utf-16be, euc-jp or iso-2022-jp.\n"
        "                         auto weighs every one of them (code page 932, UTF-8,\n"
        "                         UTF-16 with or without a byte-order mark, EUC-JP,\n"
        "                         ISO-2022-JP) by how much of the text it reads and how\n"
        "                         Japanese the result looks: kana, common kanji and\n"
        "                         punctuation for it, half-width katakana, letters of\n"
        "                         other scripts and unreadable bytes against it. A tie\n"
        "                         is Shift_JIS; a close call or a tie is named on the\n"
        "                         error stream. A text of ASCII alone is left as it is.\n"
        "                         Characters Shift_JIS cannot hold, and bytes the\n"
        "                         encoding cannot read, become \"〓\" (counted on the\n"
        "                         error stream).\n"
        "      --aozora           take Aozora Bunko's notation out of the text: ruby\n"
        "                         《…》, notes ［＃…］ and the explanation of the marks at\n"
        "                         the head; page breaks, indents and lines set to the\n"
        "                         foot of a column are laid out as the notes ask, gaiji\n"
        "                         notes become their characters where Shift_JIS has them.\n"
        "                         Every line starts a column of its own, as with --verse.\n"
        "      --ruby drop|paren  with --aozora: drop ruby readings (the default), or keep\n"
        "                         them after their words in parentheses （…）.\n"
        "\n"
        "Output:\n"
        "      --split PAGES      write PAGES pages (1 to 5000) to a file, then go on in\n"
        "                         the next one: NAME_1.txt, NAME_2.txt and so on.\n"
        "  -o, --output FILE      write the output to FILE, exactly as given (one SOURCE\n"
        "                         only; with --split the numbered names are made from\n"
        "                         FILE). \"-\" writes to standard output (not with --split).\n"
        "  -d, --output-dir DIR   write the outputs into the folder DIR, which must exist.\n"
        "  -f, --force            replace output files that already exist; a series\n"
        "                         replaces the earlier series of its name whole. Without\n"
        "                         it a source whose output would replace a file is not\n"
        "                         converted at all. A source itself is never replaced.\n"
        "      --settings FILE    start from the settings saved in FILE (a pglm201.cfg of\n"
        "                         the window program) instead of the defaults; the\n"
        "                         options above still take precedence.\n"
        "  -j, --jobs N           convert up to N sources at a time (1 to 256; default\n"
        "                         the number of processors). The outputs, the messages\n"
        "                         (in the order of the SOURCEs) and the exit status are\n"
        "                         the same whatever N is.\n"
        "  -h, --help             show this help and exit.\n"
        "      --version          show the version and exit.\n"
        "\n"
        "Exit status: 0 every source converted; 1 some source failed (the others were\n"
        "still converted); 2 the command line is wrong; 128 + the signal's number\n"
        "(130 for Ctrl-C) stopped by a signal: what was being written is removed, and\n"
        "every output is as it was or complete.\n";
    // clang-format on
}

} // namespace cli

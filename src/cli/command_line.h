#pragma once

#include "engine/settings.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// What the command line asked for, before any file is looked at.
struct ConvertOptions {
    enum class Action { Convert, Help, Version };
    Action action = Action::Convert;

    std::optional<int> lineSpacing; // gyokan
    std::optional<int> charSize;    // charsize
    std::optional<int> blankColumn; // spaceline
    std::optional<int> split;       // usedivision on, divisionsize
    std::optional<engine::Encoding> encoding;
    bool aozora = false;
    std::optional<std::string> ruby; // "drop" or "paren"
    bool kinsoku = false;
    bool tcyDigits = false;
    bool verse = false;
    bool header = false;
    bool headerName = false;
    bool force = false;
    std::optional<int> jobs; // sources converted at a time; the processors' count when not given
    std::optional<std::string> settingsFile;
    std::optional<std::string> output; // "-" is standard output
    std::optional<std::string> outputDir;
    std::vector<std::string> sources; // "-" is standard input
};

// Either the options or, for a command line that cannot be carried out, what is wrong with it
// in the user's words (without the program name).
struct ParsedCommandLine {
    ConvertOptions options;
    std::string usageError;
    bool ok() const { return usageError.empty(); }
};

// Reads the arguments after the program name. "--name value", "--name=value", "-o value" and
// "-ovalue" are all accepted; "--" ends the options; a lone "-" is a source.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string HelpText();

} // namespace cli

#pragma once

#include <string>
#include <vector>

namespace cli {

// Makes the process's standard streams fit for the converter: Shift_JIS bytes pass unchanged (no
// line-end translation), and a reader that goes away early (`| head`) makes the write fail
// instead of ending the process, so the temporary copy of standard input is still removed.
void PrepareStandardStreams();

// The arguments after the program's name, in UTF-8 like every path in the program. On Windows
// they come from the UTF-16 command line: argv there is in the ANSI code page, which cannot spell
// every file name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

} // namespace cli

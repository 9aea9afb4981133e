#pragma once

#include "interrupts.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

// Exit statuses of pagelume-convert.
inline constexpr int kExitConverted = 0;    // every source converted (or help, version)
inline constexpr int kExitSourceFailed = 1; // some source failed; the others were converted
inline constexpr int kExitUsage = 2;        // the command line cannot be carried out

// pagelume-convert: `args` are the arguments after the program name. Outputs written to standard
// output go to `out`, messages to `err`, and SOURCE "-" is read from `in`. Relative paths are
// taken from `workingFolder`; an empty one means the process's current folder.
// A request to stop that sets `interrupt` ends the run after the page in hand: what was being
// written is removed, every output is as it was or complete, one line says which, and the status
// is that of the signal (130 for SIGINT).
int RunConvertCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                      std::ostream& err, const std::string& workingFolder = {},
                      const InterruptFlag* interrupt = nullptr);

} // namespace cli

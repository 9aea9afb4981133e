#include "standard_streams.h"

#include <csignal>

namespace cli {

// POSIX streams never translate line ends; only the broken-pipe signal needs turning off.
void PrepareStandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

} // namespace cli

#include "standard_streams.h"

#include <csignal>

namespace cli {

// POSIX streams never translate line ends; only the broken-pipe signal needs turning off.
void PrepareStandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace cli

#pragma once
// The requests to stop that reach the converter from outside: Ctrl-C, a terminal closed, a
// logout, kill. They are caught, so that the run stops after the page in hand, removes what it
// was writing and leaves every output either as it was or complete.

#include <csignal>

namespace cli {

// What a caught request sets: 0 while none came, else the signal's number (SIGINT, SIGTERM,
// SIGHUP or SIGQUIT; a console's Ctrl-C or close on Windows counts as SIGINT).
using InterruptFlag = volatile std::sig_atomic_t;

// Catches the requests into `flag` for the rest of the process. A write past the file-size limit
// then fails as an ordinary write error instead of killing the process.
void CatchInterrupts(InterruptFlag& flag);

// The conventional exit status of a process ended by `signal`: 128 plus its number.
constexpr int InterruptedExitStatus(int signal) {
    return 128 + signal;
}

// The signal's short name, as kill -l spells it ("INT").
const char* SignalName(int signal);

} // namespace cli

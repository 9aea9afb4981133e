#include "interrupts.h"

#include <signal.h>

#include <initializer_list>

namespace cli {
namespace {

InterruptFlag* caught = nullptr;

void onInterrupt(int signal) {
    if (caught)
        *caught = signal;
}

} // namespace

void CatchInterrupts(InterruptFlag& flag) {
    caught = &flag;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read of standard input that waits for a terminal gives way.
    action.sa_flags = 0;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        ::sigaction(signal, &action, nullptr);
    ::signal(SIGXFSZ, SIG_IGN);
}

const char* SignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "INT";
    case SIGTERM:
        return "TERM";
    case SIGHUP:
        return "HUP";
    case SIGQUIT:
        return "QUIT";
    default:
        return "?";
    }
}

} // namespace cli

#include "interrupts.h"

#include <windows.h>

namespace cli {
namespace {

InterruptFlag* caught = nullptr;

// Runs on a thread of its own; returning TRUE keeps the process alive until the run has stopped.
BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        if (caught)
            *caught = SIGINT;
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void CatchInterrupts(InterruptFlag& flag) {
    caught = &flag;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

const char* SignalName(int signal) {
    return signal == SIGINT ? "INT" : "?";
}

} // namespace cli

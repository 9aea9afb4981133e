#pragma once

#include <QObject>

#include <functional>

namespace shell {

// Calls `requested` on the window's thread when the system asks the program to end: SIGTERM, or
// SIGHUP when the session ends. Windows asks through the windows themselves, so there it does
// nothing. Lives as long as `owner`.
void WatchTermination(QObject* owner, std::function<void()> requested);

} // namespace shell

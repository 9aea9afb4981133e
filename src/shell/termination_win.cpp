#include "shell/termination.h"

namespace shell {

void WatchTermination(QObject*, std::function<void()>) {}

} // namespace shell

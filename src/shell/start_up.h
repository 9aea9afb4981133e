#pragma once

namespace shell {

// The whole program: the application object, the main window, the settings dialog and the
// message loop. Returns the exit code, 0 also after an error that ended the program.
int RunPagelume(int& argc, char** argv);

} // namespace shell

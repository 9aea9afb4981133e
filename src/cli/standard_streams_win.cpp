#include "standard_streams.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

#include <windows.h>

#include <shellapi.h>

namespace cli {
namespace {

UINT g_consoleOutputCodePage = 0;

void restoreConsoleOutputCodePage() {
    SetConsoleOutputCP(g_consoleOutputCodePage);
}

bool isConsole(FILE* stream) {
    DWORD mode = 0;
    return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

std::string utf8FromWide(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back(); // the NUL
    return utf8;
}

} // namespace

// Windows has no broken-pipe signal; its streams translate line ends unless told not to. The
// messages (and the help's Japanese) are UTF-8, which a console shows as such only when told;
// the console's code page is put back at exit, as the console outlives the program.
void PrepareStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    if ((isConsole(stdout) || isConsole(stderr)) && GetConsoleOutputCP() != CP_UTF8) {
        g_consoleOutputCodePage = GetConsoleOutputCP();
        if (SetConsoleOutputCP(CP_UTF8))
            std::atexit(restoreConsoleOutputCodePage);
    }
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(utf8FromWide(wide[i]));
    LocalFree(wide);
    return args;
}

} // namespace cli

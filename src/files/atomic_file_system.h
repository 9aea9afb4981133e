#pragma once
// What AtomicFile::create asks of the system. atomic_file.cpp holds its rules (what may be
// replaced, the temporary file's name) once; atomic_file_posix.cpp and atomic_file_win.cpp hold
// these few calls.

#include "files/atomic_file.h"

#include <cstdint>
#include <string>

namespace files {

// What stands at the final path of a new file.
struct FinalTarget {
    std::string path; // links followed
    bool exists = false;
    bool folder = false;
    bool regular = true;     // false for a device, a pipe or a socket, which is never opened
    std::uint32_t state = 0; // permission bits (POSIX) or attributes (Windows) of what exists
};

// The final path for `requestedPath` with links followed, and what stands there; false with the
// reason in `error` for a path the system cannot name.
bool InspectFinalPath(const std::string& requestedPath, FinalTarget& target, FileError& error);

// Whether this user may replace the existing file at the target; false with the reason in `error`.
bool MayReplace(const FinalTarget& target, FileError& error);

enum class TemporaryOpening { Opened, NameTaken, Failed };

// Creates the temporary file at `path` for writing, taking over what the replaced file keeps,
// into `handle` (a file descriptor, or a Windows HANDLE). An existing file of that name is never
// taken over: NameTaken, with that reason in `error` too in case no other name is found.
TemporaryOpening OpenTemporary(const std::string& path, const FinalTarget& target,
                               std::intptr_t& handle, FileError& error);

// An unnamed file for writing in the folder of the target, where the system has them (Linux's
// O_TMPFILE), into `handle`: until it is placed it has no name, so nothing is left behind
// whatever ends the run, SIGKILL and a power cut included. False where the folder cannot have one.
bool OpenUnnamedTemporary(const FinalTarget& target, std::intptr_t& handle);

// Once per folder and process: removes what runs that are gone left in the folder of `path`.
void SweepFolderOnce(const std::string& path);

// This process's id, which keeps the names of our files apart from another run's.
unsigned long long CurrentProcessId();

// A name of our own in the folder of `path`, so that renames stay within one file system.
std::string BesideName(const std::string& path, const char* suffix);

// The folder a POSIX path names its file in: "." for a bare name, "/" at the root.
std::string FolderOf(const std::string& path);

} // namespace files

#pragma once
// Switches for the file layer's own tests, which reach fallbacks that only some file systems need.

namespace files::testing {

// While on, the POSIX primitives behave as on a file system without hard links and without
// renameat2's RENAME_NOREPLACE (FAT and exFAT memory cards, SMB shares): both fail as they do there.
void SimulateNoLinksNoRenameNoReplace(bool on);
bool SimulatingNoLinksNoRenameNoReplace();

// While on, temporary files are named from the start, as on a system without unnamed files
// (O_TMPFILE); FAT has none either.
void SimulateNoUnnamedFiles(bool on);
bool SimulatingNoUnnamedFiles();

} // namespace files::testing

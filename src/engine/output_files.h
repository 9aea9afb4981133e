#pragma once

#include "file_error.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// One output file being written. Nothing reaches the final path until place(): the bytes go to a
// temporary file beside it. A file destroyed without being placed leaves the final path as it was.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual bool write(std::string_view bytes, FileError& error) = 0;
    // Everything is written: flushed and closed, not yet in place. A split output closes each file
    // as it is done and places them all at the end.
    virtual bool finish(FileError& error) = 0;
    // Puts the file at its final path. Whatever stood there is kept aside until confirm() drops it
    // or undo() puts it back, so that the files of a split are placed all or none.
    virtual bool place(FileError& error) = 0;
    virtual void confirm() = 0;
    // Nothing when the earlier state is back (or nothing was placed).
    virtual std::optional<UndoFault> undo() = 0;
    // Drops an unplaced file now, as its destruction would; what could not be removed (a folder
    // made read-only meanwhile) is named so that the user hears of it.
    virtual std::optional<LeftBehind> discard() { return std::nullopt; }
};

// Held while a run places its files in one folder.
class PlacingLock {
  public:
    virtual ~PlacingLock() = default;
};

// Where a run's output files go: the file system, with the command-line tool's rules on top (no
// replacing without --force, standard output), or failures made to order in tests.
class OutputFiles {
  public:
    virtual ~OutputFiles() = default;

    // A proposed name made from a title (Shift_JIS) as a file name of this file system. `lost`
    // holds, in order, what its 〓s stand for where known (UTF-8): a file system of Unicode names
    // keeps those characters.
    virtual std::string fileNameFromShiftJis(std::string_view sjis,
                                             const std::vector<std::string>& lost) const = 0;

    // Called once per source with every path it is about to write, before any is created.
    // Returning a reason refuses the source: nothing of it is written.
    virtual std::optional<FileError> approve(const std::vector<std::string>& paths) {
        (void)paths;
        return std::nullopt;
    }

    // Whether anything stands at `path`: a file, a link, a folder.
    virtual bool exists(const std::string& path) const {
        (void)path;
        return false;
    }

    // Takes the file at `path` away as one more file of a placing: place() moves it out of the
    // way, confirm() removes it, undo() puts it back. Null with the reason in `error` when it may
    // not be taken away.
    virtual std::unique_ptr<OutputFile> removal(const std::string& path, FileError& error) {
        (void)path;
        error = FileError::Of(FileError::Cause::AlreadyExists);
        return nullptr;
    }

    // Held while a run places its files in the folder of `path`, so that two runs never interleave
    // their series there. `waiting` is called once when another run holds the folder first; the
    // lock is then waited for. Null where the file system cannot lock (the placing goes on).
    virtual std::unique_ptr<PlacingLock> lockForPlacing(const std::string& path,
                                                        const std::function<void()>& waiting) {
        (void)path;
        (void)waiting;
        return nullptr;
    }

    // Whether the entry is converted side by side with others of its batch. Its pages are then
    // written ahead, and its files approved again and placed at its turn (see
    // awaitEarlierEntries).
    virtual bool besideOthers() const { return false; }

    // Blocks until every earlier entry of the batch has ended, where entries run side by side.
    virtual void awaitEarlierEntries() {}

    // Starts writing `path`; null with the reason in `error` when that cannot be done.
    virtual std::unique_ptr<OutputFile> create(const std::string& path, FileError& error) = 0;
};

} // namespace engine

#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace engine {

// The most bytes a text can have: positions in it are 32-bit, and the end byte follows it.
inline constexpr std::int64_t kMaxTextBytes = std::numeric_limits<std::int32_t>::max() - 1;

// Why a zip, or a member of one, could not be read.
enum class ArchiveFault {
    None,
    NotAnArchive,      // no end record: not a zip file, or one cut short
    Damaged,           // records that point outside the zip or contradict one another
    Multipart,         // split over several files
    Zip64,             // the 64-bit extension, which this reader does not support
    Encrypted,         // the member is encrypted
    UnsupportedMethod, // compressed other than by deflate, or stored
    CorruptData,       // the member's compressed data do not inflate to its recorded size
    ChecksumMismatch,  // the member's bytes fail its CRC-32
    MemberTooLarge,    // the member's record gives more than kMaxMemberBytes
    NoTextMember,      // the zip holds no .txt file
    MemberMissing,     // the member is no longer in the zip
};

// The most bytes a member of a zip may inflate to: a zip bomb costs no more than this.
inline constexpr std::int64_t kMaxMemberBytes = std::int64_t{256} << 20;

// Numbers of causes of our own, carried where the system's error number goes (the system's are
// never negative), so that a front end words them as it words the system's.
inline constexpr int kNotARegularFileCode = -1; // a FIFO, a device or a socket stands at the path
inline constexpr int kUnstorableValueCode = -2; // a settings file cannot hold the value

// Why something could not be done with a file: the system's words, or a cause of our own that
// each front end puts in its own words.
struct FileError {
    enum class Cause {
        System,          // `reason` holds the system's words
        NotARegularFile, // a FIFO, a device or a socket stands at the path
        TooLarge,        // more than kMaxTextBytes
        OutOfMemory,
        AlreadyExists, // a file appeared where none was to be replaced
        SourceItself,  // the output is a file the run reads; `reason` holds the output's path
        Archive,       // a zip or its member cannot be read: `archiveFault` says why
    };
    Cause cause = Cause::System;
    std::string reason;
    ArchiveFault archiveFault = ArchiveFault::None;
    // With Cause::System, the error's number: errno on POSIX, GetLastError() on Windows; 0 when
    // only `reason` says what went wrong. A front end words the common ones itself.
    int code = 0;

    static FileError System(std::string reason, int code = 0) {
        return {Cause::System, std::move(reason), ArchiveFault::None, code};
    }
    static FileError Of(Cause cause) { return {cause, {}}; }
    static FileError Archive(ArchiveFault fault) { return {Cause::Archive, {}, fault}; }
};

// What taking back a placed file could not put right: the path holds this run's file (or, for a
// file taken away, nothing), and the earlier file stands under `keptAs` if there was one.
struct UndoFault {
    bool holdsNew = true;
    std::string keptAs;
};

// A file of ours that could not be removed after a failure: a temporary file holding part of the
// pages, or the folder where such files waited, which the user may delete.
struct LeftBehind {
    std::string path;
    std::string reason; // the system's words
    bool folder = false;
    int code = 0; // the system's number for it, as FileError::code
};

} // namespace engine

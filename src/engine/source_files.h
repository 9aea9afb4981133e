#pragma once

#include "event_pump.h"
#include "file_error.h"

#include <string>

namespace engine {

// A source's bytes as they stand in its file, or why they could not be had.
struct SourceBytes {
    bool ok = false;
    std::string bytes;
    FileError error; // when not ok
};

// Where the run gets its sources from: the file system, or standard input for the command-line
// tool. Each source is read once, whole; one of more than kMaxTextBytes is refused unread.
class SourceFiles {
  public:
    virtual ~SourceFiles() = default;
    virtual SourceBytes read(const std::string& path, EventPump& pump) = 0;
};

} // namespace engine

#pragma once

#include "event_pump.h"
#include "file_error.h"

#include <string>

namespace engine {

// A source as the conversion takes it: its text as read, or why it could not be had.
struct SourceText {
    bool ok = false;
    std::string text; // the text-stream rule applied; room for one more byte (the end byte)
    FileError error;  // when not ok
};

// Where the run gets its sources from: the file system, or standard input for the command-line
// tool. Each source is read once, whole; one of more than kMaxTextBytes is refused unread.
class SourceFiles {
  public:
    virtual ~SourceFiles() = default;
    virtual SourceText read(const std::string& path, EventPump& pump) = 0;
};

} // namespace engine

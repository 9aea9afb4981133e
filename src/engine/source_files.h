#pragma once

#include "event_pump.h"
#include "file_error.h"
#include "line_layout.h"
#include "settings/settings.h"

#include <cstddef>
#include <string>

namespace engine {

// A source as the conversion takes it: its text as read, or why it could not be had.
struct SourceText {
    bool ok = false;
    std::string text;         // code page 932, the text-stream rule applied
    LineLayouts lines;        // what a marked-up source asks of its lines' layout
    std::size_t replaced = 0; // characters of another encoding code page 932 cannot hold, as 〓
    FileError error;          // when not ok
};

// Where the run gets its sources from: the file system, or standard input for the command-line
// tool. Each source is read once, whole; one of more than kMaxTextBytes is refused unread. The
// live settings say how it is to be taken (its encoding, its notation).
class SourceFiles {
  public:
    virtual ~SourceFiles() = default;
    virtual SourceText read(const std::string& path, const settings::Settings& live,
                            EventPump& pump) = 0;
};

} // namespace engine

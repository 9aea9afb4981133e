#include "files/source_files.h"

#include "engine/text_stream.h"
#include "files/file_bytes.h"

#include <cerrno>
#include <system_error>

namespace files {

engine::SourceText FileSystemSources::read(const std::string& path, engine::EventPump& pump) {
    FileBytes file = ReadWholeFile(path, [&pump] { pump.ProcessPendingEvents(); });
    engine::SourceText source;
    switch (file.outcome) {
    case FileBytes::Outcome::Read:
        source.ok = true;
        source.text = std::move(file.bytes);
        engine::MakeTextAsRead(source.text);
        break;
    case FileBytes::Outcome::Missing:
        source.reason = std::generic_category().message(ENOENT);
        break;
    case FileBytes::Outcome::Unreadable:
        source.reason = std::move(file.reason);
        break;
    }
    return source;
}

TextHead ReadTextHead(const std::string& path, std::size_t limit) {
    TextHead head;
    const FileBytes file = ReadFileBlocks(path, [&](std::string_view block) {
        return engine::AppendAsTextStreamRead(head.bytes, block, limit);
    });
    head.opened = file.outcome == FileBytes::Outcome::Read;
    if (!head.opened) {
        head.bytes.clear();
        head.reason = file.outcome == FileBytes::Outcome::Missing
                          ? std::generic_category().message(ENOENT)
                          : file.reason;
    }
    return head;
}

} // namespace files

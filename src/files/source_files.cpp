#include "files/source_files.h"

#include "engine/text_stream.h"
#include "files/file_bytes.h"

#include <cerrno>
#include <system_error>

namespace files {

engine::SourceText FileSystemSources::read(const std::string& path, engine::EventPump& pump) {
    FileBytes file =
        ReadWholeFile(path, engine::kMaxTextBytes, [&pump] { pump.ProcessPendingEvents(); });
    engine::SourceText source;
    switch (file.outcome) {
    case FileBytes::Outcome::Read:
        source.ok = true;
        source.text = std::move(file.bytes);
        engine::MakeTextAsRead(source.text, pump);
        break;
    case FileBytes::Outcome::Missing:
        source.error = engine::FileError::System(std::generic_category().message(ENOENT));
        break;
    case FileBytes::Outcome::Unreadable:
        source.error = engine::FileError::System(std::move(file.reason));
        break;
    case FileBytes::Outcome::TooLarge:
        source.error = engine::FileError::Of(engine::FileError::Cause::TooLarge);
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

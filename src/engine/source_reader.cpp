#include "source_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace engine {

bool AppendAsTextStreamRead(std::string& text, std::string_view bytes) {
    const std::size_t stop = bytes.find('\x1A');
    const std::string_view kept = bytes.substr(0, stop);
    std::size_t from = 0;
    while (from < kept.size()) {
        const std::size_t cr = kept.find('\r', from);
        if (cr == std::string_view::npos) {
            text.append(kept.substr(from));
            break;
        }
        text.append(kept.substr(from, cr - from));
        from = cr + 1;
    }
    return stop == std::string_view::npos;
}

std::optional<std::string> ReadSourceText(const std::string& path, EventPump& pump,
                                          std::string& error, std::string_view head,
                                          std::size_t skip) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::string text;
    struct stat info {};
    if (fstat(fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode))
        text.reserve(static_cast<std::size_t>(info.st_size) + head.size() + 1);
    text.assign(head);
    // The skipped bytes are dropped as soon as they are all in, while the text is still short.
    bool skipped = skip == 0;
    auto dropSkipped = [&] {
        text.erase(head.size(), std::min(skip, text.size() - head.size()));
        skipped = true;
    };
    if (S_ISDIR(info.st_mode)) {
        error = std::strerror(EISDIR);
        return std::nullopt;
    }
    std::string block(kEventPumpBlock, '\0');
    for (;;) {
        pump.ProcessPendingEvents();
        const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
        const bool more = got == 0 || AppendAsTextStreamRead(text, std::string_view(block).substr(0, got));
        if (!skipped && text.size() - head.size() >= skip)
            dropSkipped();
        if (!more)
            break;
        if (got < block.size()) {
            if (std::ferror(file.get())) {
                error = std::strerror(errno);
                return std::nullopt;
            }
            break;
        }
    }
    if (!skipped)
        dropSkipped();
    text += kEndByte;
    return text;
}

} // namespace engine

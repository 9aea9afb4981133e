// Reading files, over the system's few calls in file_bytes_system.h.

#include "files/file_bytes.h"

#include "files/file_bytes_system.h"
#include "files/system_fault.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <system_error>

namespace files {
namespace {

constexpr std::size_t kBlock = 64 * 1024;

FileBytes unreadable(std::string reason, int code) {
    FileBytes result;
    result.outcome = FileBytes::Outcome::Unreadable;
    result.reason = std::move(reason);
    result.code = code;
    return result;
}

} // namespace

FileBytes ReadFileBlocks(const std::string& path,
                         const std::function<bool(std::string_view block)>& take) {
    FileBytes result;
    ReadingFile file(path, result);
    if (!file.isOpen())
        return result;
    const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    for (;;) {
        std::string reason;
        int code = 0;
        const long long got = file.read(block.get(), kBlock, reason, code);
        if (got < 0)
            return unreadable(std::move(reason), code);
        if (got == 0 || !take(std::string_view(block.get(), static_cast<std::size_t>(got))))
            break;
    }
    result.outcome = FileBytes::Outcome::Read;
    return result;
}

FileBytes ReadFileStart(const std::string& path, std::size_t maxBytes) {
    std::string start;
    FileBytes result = ReadFileBlocks(path, [&](std::string_view block) {
        start.append(block.substr(0, maxBytes - start.size()));
        return start.size() < maxBytes;
    });
    if (result.outcome == FileBytes::Outcome::Read)
        result.bytes = std::move(start);
    return result;
}

namespace {

FileBytes readWhole(ReadingFile& file, std::int64_t maxBytes,
                    const std::function<void()>& betweenBlocks) {
    FileBytes result;
    const ReadingFile::Kind kind = file.kind();
    if (kind.folder)
        return unreadable(std::generic_category().message(EISDIR), kIsAFolderCode);
    const std::size_t expected = kind.size;
    const auto tooLarge = [&](std::size_t size) {
        return maxBytes != kNoSizeLimit && size > static_cast<std::size_t>(maxBytes);
    };
    if (tooLarge(expected)) {
        result.outcome = FileBytes::Outcome::TooLarge;
        return result;
    }
    // Read a block at a time into a small buffer that stays in the cache, and appended: the
    // text's own pages are written once, where reading straight into a resized string would
    // first fill them with zeros. The room to grow in (see RoomToGrowIn) is reserved at once.
    result.bytes.reserve(RoomToGrowIn(expected));
    AdviseLargeBuffer(result.bytes.data(), result.bytes.capacity());
    std::size_t filled = 0;
    const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    for (;;) {
        if (betweenBlocks)
            betweenBlocks();
        std::string reason;
        int code = 0;
        const long long got = file.read(block.get(), kBlock, reason, code);
        if (got < 0)
            return unreadable(std::move(reason), code);
        if (got == 0)
            break;
        result.bytes.append(block.get(), static_cast<std::size_t>(got));
        filled += static_cast<std::size_t>(got);
        if (tooLarge(filled)) { // a pipe, or a file that grows while it is read
            result.bytes = std::string();
            result.outcome = FileBytes::Outcome::TooLarge;
            return result;
        }
    }
    result.outcome = FileBytes::Outcome::Read;
    return result;
}

} // namespace

FileBytes ReadWholeFile(const std::string& path, std::int64_t maxBytes,
                        const std::function<void()>& betweenBlocks) {
    FileBytes result;
    ReadingFile file(path, result);
    if (!file.isOpen())
        return result;
    return readWhole(file, maxBytes, betweenBlocks);
}

FileBytes ReadWholeRegularFile(const std::string& path, std::int64_t maxBytes) {
    FileBytes result;
    ReadingFile file(path, result, ReadingFile::Accept::RegularOnly);
    if (!file.isOpen())
        return result;
    try {
        return readWhole(file, maxBytes, {});
    } catch (const std::bad_alloc&) {
        return unreadable(kNotEnoughMemory, kOutOfMemoryCode);
    }
}

} // namespace files

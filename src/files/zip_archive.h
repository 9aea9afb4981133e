#pragma once
// Zip files as Aozora Bunko distributes its texts: the central directory read from the zip's
// bytes, members stored or deflated. Nothing in the zip is trusted: every record is checked
// against the bytes at hand, and no member is inflated past a limit, whatever its header says.

#include "engine/file_error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace files {

struct ZipMember {
    std::string name; // UTF-8, from code page 932 unless the zip marks it UTF-8; no control bytes
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc32 = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t size = 0;
    std::uint32_t localHeaderOffset = 0; // always before the central directory
};

struct ZipListing {
    engine::ArchiveFault fault = engine::ArchiveFault::None;
    std::vector<ZipMember> members; // in the central directory's order
};

// The members that the central directory of `zip` lists. A ZIP64 or multi-part zip is refused.
ZipListing ListZipMembers(std::string_view zip);

struct ZipMemberBytes {
    engine::ArchiveFault fault = engine::ArchiveFault::None;
    std::string bytes;
};

// The bytes of `member`, inflated whole and checked against its recorded size and CRC-32. One
// recorded as larger than `maxBytes` is MemberTooLarge; one that inflates past its recorded size
// is CorruptData, found out before more than that size + 1 bytes are held.
ZipMemberBytes InflateZipMember(std::string_view zip, const ZipMember& member,
                                std::size_t maxBytes = engine::kMaxMemberBytes);

// At most the first `maxBytes` bytes of `member`, unchecked (the rest is never inflated): for a
// preview.
ZipMemberBytes InflateZipMemberStart(std::string_view zip, const ZipMember& member,
                                     std::size_t maxBytes);

// A member that is a text: its name ends in ".txt" (in any case), outside the "__MACOSX" folder
// of resource forks that macOS adds.
bool IsTextMember(const ZipMember& member);

} // namespace files

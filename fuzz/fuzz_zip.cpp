// Any bytes as a zip: listing and inflating never crash, hang or hold more than the limit; what
// is listed lies within the input, names are well-formed UTF-8 without control bytes, and what
// inflates whole has the size and CRC-32 its record gives.
#include "engine/utf8.h"
#include "files/zip_archive.h"
#include "fuzz_check.h"

#include <zlib.h>

#include <cstdint>
#include <string_view>

namespace {

// Small, so that a run tries many inputs; the limit's code is the same at any size.
constexpr std::size_t kLimit = 1 << 20;

void checkName(std::string_view name) {
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = engine::utf8SequenceLength(name, i);
        FUZZ_CHECK(length > 0);
        const auto b = static_cast<unsigned char>(name[i]);
        FUZZ_CHECK(b >= 0x20 && b != 0x7F);
        i += length;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view zip(reinterpret_cast<const char*>(data), size);
    const files::ZipListing listing = files::ListZipMembers(zip);
    if (listing.fault != engine::ArchiveFault::None)
        FUZZ_CHECK(listing.members.empty());
    for (const files::ZipMember& member : listing.members) {
        FUZZ_CHECK(member.localHeaderOffset < size);
        checkName(member.name);
        (void)files::IsTextMember(member);
        const files::ZipMemberBytes whole = files::InflateZipMember(zip, member, kLimit);
        FUZZ_CHECK(whole.bytes.capacity() <= kLimit + 1);
        if (whole.fault == engine::ArchiveFault::None) {
            FUZZ_CHECK(whole.bytes.size() == member.size);
            FUZZ_CHECK(member.localHeaderOffset + 30 + member.compressedSize <= size);
            FUZZ_CHECK(crc32_z(0, reinterpret_cast<const Bytef*>(whole.bytes.data()),
                               whole.bytes.size()) == member.crc32);
        } else {
            FUZZ_CHECK(whole.bytes.empty());
        }
        const files::ZipMemberBytes start = files::InflateZipMemberStart(zip, member, 100);
        FUZZ_CHECK(start.bytes.size() <= 100);
        if (whole.fault == engine::ArchiveFault::None && start.fault == engine::ArchiveFault::None)
            FUZZ_CHECK(std::string_view(whole.bytes).substr(0, 100) == start.bytes);
    }
    return 0;
}

#include "files/zip_archive.h"

#include "engine/utf8.h"
#include "files/file_names.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace files {
namespace {

using engine::ArchiveFault;

constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxCommentSize = 0xFFFF;

constexpr std::uint16_t kFlagEncrypted = 1 << 0;
constexpr std::uint16_t kFlagStrongEncryption = 1 << 6;
constexpr std::uint16_t kFlagUtf8Name = 1 << 11;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;

// Little-endian fields; callers have checked that the bytes are there.
std::uint16_t u16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t u32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(u16(bytes, at)) |
           static_cast<std::uint32_t>(u16(bytes, at + 2)) << 16;
}

// The end record is the last thing in a zip but for its comment, of at most 65535 bytes. The
// last signature whose comment length fits the bytes after it is taken: a comment may hold the
// signature's bytes too.
std::size_t findEndRecord(std::string_view zip) {
    if (zip.size() < kEndSize)
        return std::string_view::npos;
    const std::size_t lowest =
        zip.size() - kEndSize - std::min(zip.size() - kEndSize, kMaxCommentSize);
    for (std::size_t at = zip.size() - kEndSize + 1; at-- > lowest;) {
        if (u32(zip, at) == kEndSignature && at + kEndSize + u16(zip, at + 20) <= zip.size())
            return at;
    }
    return std::string_view::npos;
}

// Names are code page 932 (what Japanese Windows wrote, and Aozora Bunko's zips hold) unless the
// zip marks them UTF-8; ill-formed UTF-8 gives U+FFFD as the code page's decoder does. Control
// bytes are left out: they have no place in a list entry or a file name, and a NUL would end the
// member's name inside a source's path.
std::string decodeName(std::string_view raw, bool utf8) {
    std::string decoded;
    if (utf8) {
        for (std::size_t i = 0; i < raw.size();) {
            const engine::Utf8Fit fit = engine::utf8FitAt(raw, i);
            if (fit.length > 0 && fit.fitting == fit.length) {
                decoded.append(raw.substr(i, fit.length));
                i += fit.length;
            } else {
                decoded += "\xEF\xBF\xBD"; // U+FFFD
                i += std::max<std::size_t>(fit.fitting, 1);
            }
        }
    } else {
        decoded = Utf8FromShiftJis(raw);
    }
    std::erase_if(decoded, [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
    return decoded;
}

// Where the member's data start, after its local header, or a fault. The local header's own
// sizes are not used: with a data descriptor they are zero, and the central directory's count.
ArchiveFault findData(std::string_view zip, const ZipMember& member, std::size_t& dataStart) {
    if (member.flags & (kFlagEncrypted | kFlagStrongEncryption))
        return ArchiveFault::Encrypted;
    if (member.method != kMethodStored && member.method != kMethodDeflated)
        return ArchiveFault::UnsupportedMethod;
    const std::size_t header = member.localHeaderOffset;
    if (header > zip.size() || zip.size() - header < kLocalSize ||
        u32(zip, header) != kLocalSignature)
        return ArchiveFault::Damaged;
    dataStart = header + kLocalSize + u16(zip, header + 26) + u16(zip, header + 28);
    if (dataStart > zip.size() || zip.size() - dataStart < member.compressedSize)
        return ArchiveFault::Damaged;
    return ArchiveFault::None;
}

class Inflater {
  public:
    Inflater() { m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK; }
    ~Inflater() {
        if (m_ready)
            inflateEnd(&m_stream);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Raw deflate data in, until the stream ends or `out` holds `limit` bytes. Every call of
    // inflate that returns Z_OK has taken input or given output, and both are bounded, so the
    // loop ends.
    ArchiveFault run(std::string_view in, std::string& out, std::size_t limit, bool& ended) {
        ended = false;
        if (!m_ready)
            throw std::bad_alloc();
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        m_stream.avail_in = static_cast<uInt>(in.size());
        constexpr std::size_t kBlock = 64 * 1024;
        while (out.size() < limit) {
            const std::size_t had = out.size();
            const std::size_t room = std::min(kBlock, limit - had);
            // Grown by hand, so that what is held never passes the limit.
            if (out.capacity() < had + room)
                out.reserve(std::min(limit, std::max(2 * out.capacity(), had + room)));
            out.resize(had + room);
            m_stream.next_out = reinterpret_cast<Bytef*>(out.data() + had);
            m_stream.avail_out = static_cast<uInt>(room);
            const int status = inflate(&m_stream, Z_NO_FLUSH);
            out.resize(had + room - m_stream.avail_out);
            if (status == Z_STREAM_END) {
                ended = true;
                return ArchiveFault::None;
            }
            if (status == Z_MEM_ERROR)
                throw std::bad_alloc();
            // Z_BUF_ERROR: the data ran out before the stream's end.
            if (status != Z_OK)
                return ArchiveFault::CorruptData;
        }
        return ArchiveFault::None;
    }

  private:
    z_stream m_stream{};
    bool m_ready = false;
};

ZipMemberBytes inflateMember(std::string_view zip, const ZipMember& member, std::size_t maxBytes,
                             bool whole) {
    ZipMemberBytes result;
    std::size_t dataStart = 0;
    result.fault = findData(zip, member, dataStart);
    if (result.fault != ArchiveFault::None)
        return result;
    // A member is refused by the size its record gives; one that inflates past that size is
    // damaged, and is found so at the first byte past it: neither costs more than the limit.
    if (whole && member.size > maxBytes) {
        result.fault = ArchiveFault::MemberTooLarge;
        return result;
    }
    const std::string_view data = zip.substr(dataStart, member.compressedSize);
    if (member.method == kMethodStored) {
        if (whole && member.compressedSize != member.size)
            result.fault = ArchiveFault::Damaged;
        else
            result.bytes.assign(data.substr(0, whole ? data.size() : maxBytes));
    } else {
        result.bytes.reserve(std::min<std::size_t>(member.size, maxBytes));
        const std::size_t limit = whole ? std::size_t{member.size} + 1 : maxBytes;
        bool ended = false;
        result.fault = Inflater().run(data, result.bytes, limit, ended);
        if (result.fault == ArchiveFault::None && whole &&
            (!ended || result.bytes.size() != member.size))
            result.fault = ArchiveFault::CorruptData;
    }
    if (result.fault == ArchiveFault::None && whole &&
        crc32_z(0, reinterpret_cast<const Bytef*>(result.bytes.data()), result.bytes.size()) !=
            member.crc32)
        result.fault = ArchiveFault::ChecksumMismatch;
    if (result.fault != ArchiveFault::None)
        result.bytes.clear();
    return result;
}

} // namespace

ZipListing ListZipMembers(std::string_view zip) {
    ZipListing listing;
    const auto fail = [&listing](ArchiveFault fault) {
        listing.members.clear();
        listing.fault = fault;
        return listing;
    };
    const std::size_t end = findEndRecord(zip);
    if (end == std::string_view::npos)
        return fail(ArchiveFault::NotAnArchive);
    const std::uint16_t disk = u16(zip, end + 4);
    const std::uint16_t directoryDisk = u16(zip, end + 6);
    const std::uint16_t entriesHere = u16(zip, end + 8);
    const std::uint16_t entries = u16(zip, end + 10);
    const std::uint32_t directorySize = u32(zip, end + 12);
    const std::uint32_t directoryOffset = u32(zip, end + 16);
    // ZIP64 puts these placeholders here and the real values in its own records.
    if (entries == 0xFFFF || entriesHere == 0xFFFF || directorySize == 0xFFFFFFFF ||
        directoryOffset == 0xFFFFFFFF)
        return fail(ArchiveFault::Zip64);
    if (disk != 0 || directoryDisk != 0 || entriesHere != entries)
        return fail(ArchiveFault::Multipart);
    if (directoryOffset > end || end - directoryOffset < directorySize)
        return fail(ArchiveFault::Damaged);
    const std::string_view directory = zip.substr(directoryOffset, directorySize);
    // Each entry takes at least kCentralSize bytes of the directory, which bounds the count.
    if (entries > directory.size() / kCentralSize)
        return fail(ArchiveFault::Damaged);
    listing.members.reserve(entries);
    std::size_t at = 0;
    for (std::uint16_t i = 0; i < entries; ++i) {
        if (directory.size() - at < kCentralSize || u32(directory, at) != kCentralSignature)
            return fail(ArchiveFault::Damaged);
        const std::size_t nameSize = u16(directory, at + 28);
        const std::size_t variable = nameSize + u16(directory, at + 30) + u16(directory, at + 32);
        if (directory.size() - at - kCentralSize < variable)
            return fail(ArchiveFault::Damaged);
        ZipMember member;
        member.flags = u16(directory, at + 8);
        member.method = u16(directory, at + 10);
        member.crc32 = u32(directory, at + 16);
        member.compressedSize = u32(directory, at + 20);
        member.size = u32(directory, at + 24);
        member.localHeaderOffset = u32(directory, at + 42);
        if (member.compressedSize == 0xFFFFFFFF || member.size == 0xFFFFFFFF ||
            member.localHeaderOffset == 0xFFFFFFFF)
            return fail(ArchiveFault::Zip64);
        // Members come before the central directory.
        if (member.localHeaderOffset >= directoryOffset)
            return fail(ArchiveFault::Damaged);
        member.name = decodeName(directory.substr(at + kCentralSize, nameSize),
                                 (member.flags & kFlagUtf8Name) != 0);
        listing.members.push_back(std::move(member));
        at += kCentralSize + variable;
    }
    return listing;
}

ZipMemberBytes InflateZipMember(std::string_view zip, const ZipMember& member,
                                std::size_t maxBytes) {
    return inflateMember(zip, member, maxBytes, true);
}

ZipMemberBytes InflateZipMemberStart(std::string_view zip, const ZipMember& member,
                                     std::size_t maxBytes) {
    return inflateMember(zip, member, maxBytes, false);
}

bool IsTextMember(const ZipMember& member) {
    const std::string_view name = member.name;
    if (name.starts_with("__MACOSX/") || name.size() < 4)
        return false;
    std::string extension(name.substr(name.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return extension == ".txt";
}

} // namespace files

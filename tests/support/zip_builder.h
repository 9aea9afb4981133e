#pragma once
// Zips built in memory, as Aozora Bunko's are (deflated, code page 932 names) or deliberately
// wrong in one field, for the tests of the zip reader and of zips as sources.

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct ZipEntry {
    ZipEntry(std::string name_, std::string data_, bool stored_ = false, std::uint16_t flags_ = 0)
        : name(std::move(name_)), data(std::move(data_)), stored(stored_), flags(flags_) {}

    std::string name; // as bytes in the zip
    std::string data;
    bool stored = false;
    std::uint16_t flags = 0;
    std::optional<std::uint16_t> method;        // instead of 0 or 8
    std::optional<std::uint32_t> recordedSize;  // instead of the data's size
    std::optional<std::uint32_t> recordedCrc32; // instead of the data's CRC-32
};

inline std::string RawDeflate(const std::string& data) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

inline void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::string MakeZip(const std::vector<ZipEntry>& entries, const std::string& comment = {}) {
    std::string local;
    std::string central;
    for (const ZipEntry& entry : entries) {
        const std::string data = entry.stored ? entry.data : RawDeflate(entry.data);
        const std::uint16_t method = entry.method.value_or(entry.stored ? 0 : 8);
        const auto crc = entry.recordedCrc32.value_or(
            static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
                                             static_cast<uInt>(entry.data.size()))));
        const auto size =
            entry.recordedSize.value_or(static_cast<std::uint32_t>(entry.data.size()));
        const auto offset = static_cast<std::uint32_t>(local.size());
        const auto nameSize = static_cast<std::uint32_t>(entry.name.size());
        const auto dataSize = static_cast<std::uint32_t>(data.size());
        PutLe(local, 0x04034B50, 4);
        PutLe(local, 20, 2);
        PutLe(local, entry.flags, 2);
        PutLe(local, method, 2);
        PutLe(local, 0, 4); // time and date
        PutLe(local, crc, 4);
        PutLe(local, dataSize, 4);
        PutLe(local, size, 4);
        PutLe(local, nameSize, 2);
        PutLe(local, 0, 2);
        local += entry.name + data;
        PutLe(central, 0x02014B50, 4);
        PutLe(central, 20, 2);
        PutLe(central, 20, 2);
        PutLe(central, entry.flags, 2);
        PutLe(central, method, 2);
        PutLe(central, 0, 4);
        PutLe(central, crc, 4);
        PutLe(central, dataSize, 4);
        PutLe(central, size, 4);
        PutLe(central, nameSize, 2);
        PutLe(central, 0, 2); // extra
        PutLe(central, 0, 2); // comment
        PutLe(central, 0, 2); // disk
        PutLe(central, 0, 2); // internal attributes
        PutLe(central, 0, 4); // external attributes
        PutLe(central, offset, 4);
        central += entry.name;
    }
    std::string zip = local + central;
    PutLe(zip, 0x06054B50, 4);
    PutLe(zip, 0, 2);
    PutLe(zip, 0, 2);
    PutLe(zip, static_cast<std::uint32_t>(entries.size()), 2);
    PutLe(zip, static_cast<std::uint32_t>(entries.size()), 2);
    PutLe(zip, static_cast<std::uint32_t>(central.size()), 4);
    PutLe(zip, static_cast<std::uint32_t>(local.size()), 4);
    PutLe(zip, static_cast<std::uint32_t>(comment.size()), 2);
    return zip + comment;
}

} // namespace testing_support

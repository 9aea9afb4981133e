#include "files/source_files.h"

#include "files/file_bytes.h"
#include "files/system_fault.h"
#include "files/zip_archive.h"

#include <cerrno>
#include <optional>
#include <system_error>
#include <unordered_set>

namespace files {
namespace {

engine::SourceBytes sourceOf(FileBytes file) {
    engine::SourceBytes source;
    switch (file.outcome) {
    case FileBytes::Outcome::Read:
        source.ok = true;
        source.bytes = std::move(file.bytes);
        break;
    case FileBytes::Outcome::Missing:
        source.error =
            engine::FileError::System(std::generic_category().message(ENOENT), kNotFoundCode);
        break;
    case FileBytes::Outcome::Unreadable:
        source.error = engine::FileError::System(std::move(file.reason), file.code);
        break;
    case FileBytes::Outcome::TooLarge:
        source.error = engine::FileError::Of(engine::FileError::Cause::TooLarge);
        break;
    }
    return source;
}

engine::SourceBytes archiveFault(engine::ArchiveFault fault) {
    engine::SourceBytes source;
    source.error = engine::FileError::Archive(fault);
    return source;
}

engine::SourceBytes readZip(const std::string& path, engine::EventPump& pump) {
    return sourceOf(
        ReadWholeFile(path, engine::kMaxTextBytes, [&pump] { pump.ProcessPendingEvents(); }));
}

// The member of a zip a source names: the first of that name, as an unpacker would take it.
engine::SourceBytes readMember(const engine::MemberSource& source, std::size_t maxBytes, bool whole,
                               engine::EventPump& pump) {
    const engine::SourceBytes zip = readZip(std::string(source.zipPath), pump);
    if (!zip.ok)
        return zip;
    const ZipListing listing = ListZipMembers(zip.bytes);
    if (listing.fault != engine::ArchiveFault::None)
        return archiveFault(listing.fault);
    for (const ZipMember& member : listing.members) {
        if (member.name != source.member)
            continue;
        ZipMemberBytes inflated = whole ? InflateZipMember(zip.bytes, member, maxBytes)
                                        : InflateZipMemberStart(zip.bytes, member, maxBytes);
        if (inflated.fault != engine::ArchiveFault::None)
            return archiveFault(inflated.fault);
        engine::SourceBytes bytes;
        bytes.ok = true;
        bytes.bytes = std::move(inflated.bytes);
        return bytes;
    }
    return archiveFault(engine::ArchiveFault::MemberMissing);
}

} // namespace

engine::SourceBytes FileSystemSources::read(const std::string& path, engine::EventPump& pump) {
    if (const std::optional<engine::MemberSource> member = engine::AsMemberSource(path))
        return readMember(*member, engine::kMaxMemberBytes, true, pump);
    return sourceOf(
        ReadWholeFile(path, engine::kMaxTextBytes, [&pump] { pump.ProcessPendingEvents(); }));
}

bool IsZipPath(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return extension == ".zip";
}

ZipTexts ListZipTexts(const std::string& path, engine::EventPump& pump) {
    ZipTexts texts;
    const engine::SourceBytes zip = readZip(path, pump);
    if (!zip.ok) {
        texts.error = zip.error;
        return texts;
    }
    const ZipListing listing = ListZipMembers(zip.bytes);
    if (listing.fault != engine::ArchiveFault::None) {
        texts.error = engine::FileError::Archive(listing.fault);
        return texts;
    }
    // A name listed twice (a zip appended to) stands for its first member, as it is read.
    std::unordered_set<std::string> listed;
    for (const ZipMember& member : listing.members) {
        if (IsTextMember(member) && listed.insert(member.name).second)
            texts.members.push_back(member.name);
    }
    if (texts.members.empty()) {
        texts.error = engine::FileError::Archive(engine::ArchiveFault::NoTextMember);
        return texts;
    }
    texts.ok = true;
    return texts;
}

engine::SourceBytes ReadSourceStart(const std::string& path, std::size_t maxBytes) {
    engine::NoEventPump pump;
    if (const std::optional<engine::MemberSource> member = engine::AsMemberSource(path))
        return readMember(*member, maxBytes, false, pump);
    return sourceOf(ReadFileStart(path, maxBytes));
}

} // namespace files

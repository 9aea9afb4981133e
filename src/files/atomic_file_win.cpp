#include "files/atomic_file.h"

#include "files/atomic_file_system.h"

#include "files/system_text_win.h"

#include <algorithm>

namespace files {
namespace {

FileError systemError(DWORD error) {
    return FileError::System(SystemErrorText(error), static_cast<int>(error));
}

engine::LeftBehind leftBehind(const std::string& path, DWORD error) {
    return {path, SystemErrorText(error), false, static_cast<int>(error)};
}

// Paths the program gives in UTF-8 for the system in UTF-16; a name that is not UTF-8 cannot
// exist on Windows. Every path used below has been converted once in create() already.
std::wstring wide(const std::string& path) {
    return WideFromUtf8(path).value_or(std::wstring());
}

struct Closer {
    HANDLE handle;
    ~Closer() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

// The file a symbolic link names, so that the link stays a link; the path itself when it is none
// (or a link that names nothing yet, which is then replaced itself).
std::string followLinks(const std::string& path, const std::wstring& widePath) {
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    const Closer target{CreateFileW(widePath.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (target.handle == INVALID_HANDLE_VALUE)
        return path;
    std::wstring resolved(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = GetFinalPathNameByHandleW(target.handle, resolved.data(),
                                                       static_cast<DWORD>(resolved.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return path;
        if (length < resolved.size()) {
            resolved.resize(length);
            // \\?\C:\dir and \\?\UNC\server\share in the form a user writes them.
            if (resolved.starts_with(L"\\\\?\\UNC\\"))
                resolved.replace(0, 8, L"\\\\");
            else if (resolved.starts_with(L"\\\\?\\"))
                resolved.erase(0, 4);
            return Utf8FromWide(resolved);
        }
        resolved.resize(length);
    }
    return path;
}

// The attributes a new file takes over from the one it replaces; read-only is refused earlier,
// and the rest (compression, sparseness and the like) belong to the file's data, not its name.
constexpr DWORD kInheritedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                       FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

} // namespace

struct AtomicFile::Handle {
    HANDLE file;
};

AtomicFile::AtomicFile(std::string finalPath, std::string temporaryPath, Existing existing,
                       std::intptr_t systemHandle)
    : m_finalPath(std::move(finalPath)), m_temporaryPath(std::move(temporaryPath)),
      m_existing(existing),
      m_handle(std::make_unique<Handle>(Handle{reinterpret_cast<HANDLE>(systemHandle)})) {}

bool InspectFinalPath(const std::string& requestedPath, FinalTarget& target, FileError& error) {
    const std::optional<std::wstring> requested = WideFromUtf8(requestedPath);
    if (!requested) {
        error = systemError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    target.path = followLinks(requestedPath, *requested);
    const std::wstring widePath = wide(target.path);
    WIN32_FILE_ATTRIBUTE_DATA info{};
    target.exists = GetFileAttributesExW(widePath.c_str(), GetFileExInfoStandard, &info) != 0;
    if (target.exists) {
        target.state = info.dwFileAttributes;
        target.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (target.folder)
            return true;
    }
    // A device ("NUL", "COM1") or a pipe is never written: writing to it could wait for ever,
    // and it cannot be renamed over. Some of them answer no attribute query at all, so ask the
    // object itself, without any access to its data.
    const Closer probe{CreateFileW(widePath.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr)};
    target.regular =
        probe.handle == INVALID_HANDLE_VALUE || GetFileType(probe.handle) == FILE_TYPE_DISK;
    return true;
}

// Opening the file for writing also asks its access rights and whether another program holds it
// open without letting others replace it.
bool MayReplace(const FinalTarget& target, FileError& error) {
    if (target.state & FILE_ATTRIBUTE_READONLY) {
        error = systemError(ERROR_ACCESS_DENIED);
        return false;
    }
    const Closer probe{CreateFileW(wide(target.path).c_str(), GENERIC_WRITE | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr)};
    if (probe.handle == INVALID_HANDLE_VALUE) {
        error = systemError(GetLastError());
        return false;
    }
    return true;
}

TemporaryOpening OpenTemporary(const std::string& path, const FinalTarget& target,
                               std::intptr_t& handle, FileError& error) {
    const DWORD inherited = target.exists ? target.state & kInheritedAttributes : 0;
    const DWORD attributes = inherited ? inherited : FILE_ATTRIBUTE_NORMAL; // NORMAL only alone
    // CREATE_NEW never takes over a file that happens to have that name.
    const HANDLE file =
        CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, attributes, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        handle = reinterpret_cast<std::intptr_t>(file);
        return TemporaryOpening::Opened;
    }
    const DWORD reason = GetLastError();
    if (reason == ERROR_FILE_EXISTS || reason == ERROR_ALREADY_EXISTS) {
        error = systemError(ERROR_FILE_EXISTS);
        return TemporaryOpening::NameTaken;
    }
    error = systemError(reason);
    return TemporaryOpening::Failed;
}

unsigned long long CurrentProcessId() {
    return GetCurrentProcessId();
}

bool OpenUnnamedTemporary(const FinalTarget&, std::intptr_t&) {
    return false; // Windows files always have a name
}

void SweepFolderOnce(const std::string&) {}

AtomicFile::~AtomicFile() {
    (void)discard();
    if (m_placed && !m_asidePath.empty())
        DeleteFileW(wide(m_asidePath).c_str()); // placed and never undone: the placing stands
}

std::optional<engine::LeftBehind> AtomicFile::discard() {
    if (m_handle) {
        CloseHandle(m_handle->file);
        m_handle.reset();
    }
    std::optional<engine::LeftBehind> left;
    if (!m_placed && !m_temporaryPath.empty()) {
        if (!DeleteFileW(wide(m_temporaryPath).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            left = leftBehind(m_temporaryPath, GetLastError());
        m_temporaryPath.clear();
    }
    return left;
}

bool AtomicFile::write(std::string_view bytes, FileError& error) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(m_handle->file, bytes.data(), chunk, &written, nullptr)) {
            error = systemError(GetLastError());
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool AtomicFile::finish(FileError& error) {
    if (!m_handle)
        return true;
    const HANDLE file = m_handle->file;
    m_handle.reset();
    // A file that will replace another reaches the disk before the rename, so that a power cut
    // leaves the old file or the whole new one. Where nothing stands yet there is nothing to lose.
    const bool replaces = m_existing == Existing::Replace &&
                          GetFileAttributesW(wide(m_finalPath).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (replaces && !FlushFileBuffers(file)) {
        error = systemError(GetLastError());
        CloseHandle(file);
        return false;
    }
    if (!CloseHandle(file)) {
        error = systemError(GetLastError());
        return false;
    }
    return true;
}

bool AtomicFile::place(FileError& error) {
    if (!finish(error))
        return false;
    const std::wstring temporary = wide(m_temporaryPath);
    const std::wstring target = wide(m_finalPath);
    if (m_existing == Existing::Keep) {
        // Without MOVEFILE_REPLACE_EXISTING the rename refuses a file that appeared meanwhile.
        if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            const DWORD reason = GetLastError();
            error = reason == ERROR_ALREADY_EXISTS || reason == ERROR_FILE_EXISTS
                        ? FileError::Of(FileError::Cause::AlreadyExists)
                        : systemError(reason);
            return false;
        }
    } else {
        // The file being replaced keeps a second name until the placing is confirmed: a hard
        // link where the volume has them, so the final name never goes missing, else it is
        // moved aside.
        bool asideIsLink = false;
        if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::string aside = BesideName(m_finalPath, ".old");
            const std::wstring wideAside = wide(aside);
            asideIsLink = CreateHardLinkW(wideAside.c_str(), target.c_str(), nullptr) != 0;
            if (asideIsLink ||
                MoveFileExW(target.c_str(), wideAside.c_str(), MOVEFILE_WRITE_THROUGH))
                m_asidePath = std::move(aside);
        }
        if (!MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const DWORD reason = GetLastError();
            if (!m_asidePath.empty()) {
                const std::wstring wideAside = wide(m_asidePath);
                // The old file still has its name when the aside name is a second link to it.
                if (asideIsLink)
                    DeleteFileW(wideAside.c_str());
                else
                    MoveFileExW(wideAside.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
            }
            m_asidePath.clear();
            error = systemError(reason);
            return false;
        }
    }
    m_placed = true;
    return true;
}

// The renames were written through; there is no folder to flush on Windows.
// MoveFileExW with MOVEFILE_WRITE_THROUGH returns once the rename is on the disk.
void AtomicFile::syncFolder() const {}

void AtomicFile::confirm() {
    if (!m_asidePath.empty())
        DeleteFileW(wide(m_asidePath).c_str());
    m_asidePath.clear();
}

std::optional<engine::UndoFault> AtomicFile::undo() {
    if (!m_placed)
        return std::nullopt;
    std::optional<engine::UndoFault> fault;
    if (!m_asidePath.empty()) {
        if (!MoveFileExW(wide(m_asidePath).c_str(), wide(m_finalPath).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            fault = engine::UndoFault{true, m_asidePath};
    } else if (!DeleteFileW(wide(m_finalPath).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        fault = engine::UndoFault{true, {}};
    }
    m_asidePath.clear();
    m_placed = false;
    m_temporaryPath.clear();
    return fault;
}

} // namespace files

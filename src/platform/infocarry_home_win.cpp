#include "platform/infocarry_home.h"

#include <windows.h>

#include <string_view>
#include <vector>

namespace platform {
namespace {

class RegistryKey {
  public:
    explicit RegistryKey(HKEY key) : m_key(key) {}
    ~RegistryKey() { RegCloseKey(m_key); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return m_key; }

  private:
    HKEY m_key;
};

// The key and value names are ASCII.
std::wstring wideAscii(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

std::string utf8FromWide(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                            size, nullptr, nullptr);
    return utf8;
}

} // namespace

// The value is read in UTF-16, as the registry keeps it, so a folder name that the ANSI code page
// cannot spell arrives whole; the program's paths are UTF-8.
RegistryString ReadInfoCarryHome() {
    HKEY opened = nullptr;
    // Read access only: the key belongs to the infoCarry Manager and is never created here.
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wideAscii(kInfoCarryManagerKey).c_str(), 0, KEY_READ,
                      &opened) != ERROR_SUCCESS)
        return {};
    const RegistryKey key(opened);
    const std::wstring valueName = wideAscii(kHomePathValueName);

    std::vector<wchar_t> data(MAX_PATH + 1);
    DWORD type = 0;
    LONG rc = ERROR_MORE_DATA;
    // The value may grow between asking for its size and reading it; ask again until it fits.
    for (int attempt = 0; attempt < 8 && rc == ERROR_MORE_DATA; ++attempt) {
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        rc = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_MORE_DATA)
            data.resize(size / sizeof(wchar_t) + 1);
        else if (rc == ERROR_SUCCESS)
            data.resize(size / sizeof(wchar_t)); // an odd last byte is no character
    }
    if (rc != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return {RegistryStringStatus::NotAString, {}};

    // A stored string need not carry its terminating NUL, and may carry more than one; the text
    // ends at the first.
    std::wstring_view text(data.data(), data.size());
    if (const auto end = text.find(L'\0'); end != std::wstring_view::npos)
        text = text.substr(0, end);
    return {RegistryStringStatus::Found, utf8FromWide(text)};
}

} // namespace platform

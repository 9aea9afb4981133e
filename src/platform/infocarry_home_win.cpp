#include "platform/infocarry_home.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

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

} // namespace

RegistryString ReadInfoCarryHome() {
    HKEY opened = nullptr;
    // Read access only: the key belongs to the infoCarry Manager and is never created here.
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kInfoCarryManagerKey, 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return {};
    const RegistryKey key(opened);

    std::vector<char> data(MAX_PATH + 1);
    DWORD type = 0;
    LONG rc = ERROR_MORE_DATA;
    // The value may grow between asking for its size and reading it; ask again until it fits.
    for (int attempt = 0; attempt < 8 && rc == ERROR_MORE_DATA; ++attempt) {
        DWORD size = static_cast<DWORD>(data.size());
        rc = RegQueryValueExA(key.get(), kHomePathValueName, nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_MORE_DATA)
            data.resize(static_cast<std::size_t>(size) + 1);
        else if (rc == ERROR_SUCCESS)
            data.resize(size);
    }
    if (rc != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return {RegistryStringStatus::NotAString, {}};

    // A stored string need not carry its terminating NUL, and may carry more than one; the text
    // ends at the first.
    RegistryString result{RegistryStringStatus::Found, std::string(data.begin(), data.end())};
    if (const auto end = result.value.find('\0'); end != std::string::npos)
        result.value.resize(end);
    return result;
}

} // namespace platform

// ReadInfoCarryHome on Windows, through the real registry: each case writes "HomePath" under the
// infoCarry Manager's key of HKEY_CURRENT_USER and puts back what was there before.
#include "platform/infocarry_home.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using platform::RegistryString;
using platform::RegistryStringStatus;

const wchar_t* const kKeyLevels[] = {
    L"Software\\Sony Corporation",
    L"Software\\Sony Corporation\\infoCarry",
    L"Software\\Sony Corporation\\infoCarry\\infoCarry Manager",
};
const wchar_t* const kValueName = L"HomePath";

class InfoCarryHomeRegistry : public testing::Test {
  protected:
    InfoCarryHomeRegistry() {
        for (const wchar_t* level : kKeyLevels) {
            HKEY key = nullptr;
            DWORD disposition = 0;
            if (RegCreateKeyExW(HKEY_CURRENT_USER, level, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, &disposition) != ERROR_SUCCESS)
                throw std::runtime_error("cannot open the infoCarry Manager's key");
            if (disposition == REG_CREATED_NEW_KEY)
                m_created.push_back(level);
            RegCloseKey(key);
        }
        RegOpenKeyExW(HKEY_CURRENT_USER, kKeyLevels[2], 0, KEY_ALL_ACCESS, &m_key);
        DWORD size = 0;
        if (RegQueryValueExW(m_key, kValueName, nullptr, &m_savedType, nullptr, &size) ==
            ERROR_SUCCESS) {
            m_saved.emplace(size, '\0');
            RegQueryValueExW(m_key, kValueName, nullptr, &m_savedType,
                             reinterpret_cast<BYTE*>(m_saved->data()), &size);
        }
        RegDeleteValueW(m_key, kValueName);
    }

    ~InfoCarryHomeRegistry() override {
        if (m_saved)
            RegSetValueExW(m_key, kValueName, 0, m_savedType,
                           reinterpret_cast<const BYTE*>(m_saved->data()),
                           static_cast<DWORD>(m_saved->size()));
        else
            RegDeleteValueW(m_key, kValueName);
        RegCloseKey(m_key);
        for (auto level = m_created.rbegin(); level != m_created.rend(); ++level)
            RegDeleteKeyW(HKEY_CURRENT_USER, *level);
    }

    void store(DWORD type, const void* data, std::size_t size) {
        ASSERT_EQ(RegSetValueExW(m_key, kValueName, 0, type, static_cast<const BYTE*>(data),
                                 static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    // With its terminating NUL, as programs normally store strings.
    void storeString(const std::wstring& text, DWORD type = REG_SZ) {
        store(type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }

  private:
    HKEY m_key = nullptr;
    std::vector<const wchar_t*> m_created;
    std::optional<std::string> m_saved;
    DWORD m_savedType = REG_NONE;
};

RegistryString found(std::string value) {
    return {RegistryStringStatus::Found, std::move(value)};
}

TEST_F(InfoCarryHomeRegistry, StringArrivesAsUtf8) {
    storeString(L"C:\\Users\\me\\\u672C\u68DA"); // 本棚: beyond any single-byte ANSI code page
    EXPECT_EQ(platform::ReadInfoCarryHome(), found("C:\\Users\\me\\本棚"));
}

TEST_F(InfoCarryHomeRegistry, ExpandableStringIsNotExpanded) {
    storeString(L"%USERPROFILE%\\infoCarry", REG_EXPAND_SZ);
    EXPECT_EQ(platform::ReadInfoCarryHome(), found("%USERPROFILE%\\infoCarry"));
}

TEST_F(InfoCarryHomeRegistry, OtherTypesAreReported) {
    const DWORD number = 1;
    store(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(platform::ReadInfoCarryHome(),
              (RegistryString{RegistryStringStatus::NotAString, {}}));
    const wchar_t list[] = L"C:\\a\0C:\\b\0";
    store(REG_MULTI_SZ, list, sizeof list);
    EXPECT_EQ(platform::ReadInfoCarryHome(),
              (RegistryString{RegistryStringStatus::NotAString, {}}));
}

TEST_F(InfoCarryHomeRegistry, MissingValueIsAbsent) {
    EXPECT_EQ(platform::ReadInfoCarryHome(), RegistryString{});
}

// Stored without its NUL, with text after a NUL, or with an odd byte count, the string is what a
// reader of it sees: up to the first NUL, whole characters only.
TEST_F(InfoCarryHomeRegistry, StoredBytesAreCutAtTheFirstNul) {
    const wchar_t unterminated[] = {L'C', L':', L'\\', L'x'};
    store(REG_SZ, unterminated, sizeof unterminated);
    EXPECT_EQ(platform::ReadInfoCarryHome(), found("C:\\x"));
    const wchar_t twoStrings[] = L"C:\\a\0C:\\b";
    store(REG_SZ, twoStrings, sizeof twoStrings);
    EXPECT_EQ(platform::ReadInfoCarryHome(), found("C:\\a"));
    store(REG_SZ, unterminated, sizeof unterminated - 1);
    EXPECT_EQ(platform::ReadInfoCarryHome(), found("C:\\"));
}

// Longer than MAX_PATH, which the first read's buffer holds.
TEST_F(InfoCarryHomeRegistry, LongValueIsReadWhole) {
    std::wstring folder = L"C:\\";
    std::string expected = "C:\\";
    for (int i = 0; i < 60; ++i) {
        folder += L"\u65E5\u672C\\"; // 日本
        expected += "日本\\";
    }
    storeString(folder);
    EXPECT_EQ(platform::ReadInfoCarryHome(), found(expected));
}

} // namespace

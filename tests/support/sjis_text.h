#pragma once
// Test helpers: Shift_JIS literals written as readable UTF-8, and small byte-string builders.

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <stdexcept>
#include <string>
#include <string_view>

namespace testing_support {

// UTF-8 → code page 932 and code page 932 → UTF-16, through the system's converter (independent
// of the program's code): iconv, or on Windows the system's code page 932.
#ifdef _WIN32
inline std::string sj(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int inSize = static_cast<int>(utf8.size());
    const int wideSize =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inSize, nullptr, 0);
    if (wideSize <= 0)
        throw std::runtime_error("not UTF-8: " + std::string(utf8));
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inSize, wide.data(), wideSize);
    std::string out(wide.size() * 2, '\0');
    BOOL usedDefault = FALSE;
    const int outSize =
        WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wideSize, out.data(),
                            static_cast<int>(out.size()), nullptr, &usedDefault);
    if (outSize <= 0 || usedDefault)
        throw std::runtime_error("not representable in CP932: " + std::string(utf8));
    out.resize(static_cast<std::size_t>(outSize));
    return out;
}

// Code page 932 → UTF-16, through the system's converter.
inline std::u16string utf16Of(std::string_view sjis) {
    if (sjis.empty())
        return {};
    const int inSize = static_cast<int>(sjis.size());
    const int wideSize =
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, sjis.data(), inSize, nullptr, 0);
    if (wideSize <= 0)
        throw std::runtime_error("not code page 932");
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, sjis.data(), inSize, wide.data(), wideSize);
    return std::u16string(wide.begin(), wide.end());
}
#else
inline std::string sj(std::string_view utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no CP932 converter");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        throw std::runtime_error("not representable in CP932: " + std::string(utf8));
    out.resize(out.size() - dstLeft);
    return out;
}
inline std::u16string utf16Of(std::string_view sjis) {
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no CP932 converter");
    std::string out(sjis.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(sjis.data());
    std::size_t inLeft = sjis.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        throw std::runtime_error("not code page 932");
    std::u16string units;
    for (std::size_t i = 0; i + 1 < out.size() - dstLeft; i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(out[i]) |
                                       static_cast<unsigned char>(out[i + 1]) << 8);
    return units;
}
#endif

// Code page 932 → UTF-16 code units, through the system's converter likewise; throws on bytes it
// cannot read.
#ifdef _WIN32
inline std::u16string utf16FromShiftJis(std::string_view sjis) {
    if (sjis.empty())
        return {};
    const int inSize = static_cast<int>(sjis.size());
    const int wideSize =
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, sjis.data(), inSize, nullptr, 0);
    if (wideSize <= 0)
        throw std::runtime_error("not code page 932");
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, sjis.data(), inSize, wide.data(), wideSize);
    return std::u16string(wide.begin(), wide.end());
}
#else
inline std::u16string utf16FromShiftJis(std::string_view sjis) {
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no CP932 converter");
    std::string out(sjis.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(sjis.data());
    std::size_t inLeft = sjis.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        throw std::runtime_error("not code page 932");
    out.resize(out.size() - dstLeft);
    std::u16string units;
    for (std::size_t i = 0; i + 1 < out.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(out[i]) |
                                       static_cast<unsigned char>(out[i + 1]) << 8);
    return units;
}
#endif

inline std::string repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// Bytes as hex, for readable failure messages.
inline std::string hex(std::string_view s) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace testing_support

#include "files/file_names.h"

#include <iconv.h>

#include <cerrno>

namespace files {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

class Converter {
  public:
    Converter() : m_cd(iconv_open("UTF-8", "CP932")) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string decode(std::string_view in) {
        std::string out;
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            // Without a CP932 converter only ASCII can be trusted.
            for (unsigned char c : in)
                out += c < 0x80 ? std::string(1, char(c)) : std::string(kReplacement);
            return out;
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[1024];
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            const int error = errno;
            out.append(buffer, dst - buffer);
            if (rc != static_cast<std::size_t>(-1))
                continue;
            if (error == E2BIG)
                continue;
            // An invalid or cut-off sequence: one replacement character for its first byte, and go
            // on with the next one, so a stray byte never swallows the character after it.
            out.append(kReplacement);
            ++src;
            --srcLeft;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

  private:
    iconv_t m_cd;
};

} // namespace

std::string Utf8FromShiftJis(std::string_view sjis) {
    thread_local Converter converter;
    return converter.decode(sjis);
}

} // namespace files

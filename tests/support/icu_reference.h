#pragma once
// The conversion to code page 932 as ICU's converters do it, for holding the program's own
// decoders to (tests/input/encoding_reference_test.cpp, fuzz/fuzz_decoding.cpp): the source read by
// ICU, written by ICU's windows-31j, one 〓 counted for every sequence it cannot read and every
// character it cannot write. The program departs from ICU deliberately in a few places, each an
// explicit table or rule below; where ICU has no mapping at all (eucJP-ms's IBM rows), the
// system's iconv stands in. Linux only: MinGW has neither.

#include "input/encoding.h"
#include "input/encoding_shared.h"
#include "input/readable_forms.h"

#include <iconv.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

namespace testing_support {

inline const std::string kIcuGeta = "\x81\xAC"; // 〓

// ICU's windows-31j is IBM's table 943, which exchanges three control codes; Microsoft's code page
// 932, which the program writes, keeps them where they are. ICU's byte -> the program's byte. No
// trail byte is below 40 or is 7F, so each of them is a character of its own.
inline const std::map<char, char> kControlCodeSwap = {
    {'\x7F', '\x1A'}, {'\x1A', '\x1C'}, {'\x1C', '\x7F'}};

// Characters that the JIS mapping tables (iconv, Java, macOS) put at other code points than
// Microsoft's table does, and the two characters of JIS-Roman: windows-31j has no code for them
// (it would write 〓), the program writes the code of the same character in Microsoft's table.
inline const std::map<char32_t, std::string> kJisVariants = {
    {0x00A2, "\x81\x91"}, // ¢ as ￠
    {0x00A3, "\x81\x92"}, // £ as ￡
    {0x00A5, "\x5C"},     // ¥ of JIS-Roman
    {0x00A6, "\xFA\x55"}, // ¦ as ￤
    {0x00AC, "\x81\xCA"}, // ¬ as ￢
    {0x2014, "\x81\x5C"}, // — as ―
    {0x2016, "\x81\x61"}, // ‖ as ∥
    {0x203E, "\x7E"},     // ‾ of JIS-Roman
    {0x2212, "\x81\x7C"}, // − as －
    {0x301C, "\x81\x60"}, // 〜 as ～
};

// eucJP-ms puts the IBM extensions that JIS X 0212 lacks at 8F F3 F3 - 8F F4 FE, where ICU's EUC-JP
// has nothing; the program reads them as the system's EUC-JP-MS does.
inline bool isEucJpMsIbmRun(std::string_view sequence) {
    if (sequence.size() != 3 || sequence[0] != '\x8F')
        return false;
    const unsigned code =
        static_cast<unsigned char>(sequence[1]) << 8 | static_cast<unsigned char>(sequence[2]);
    const unsigned cell = code & 0xFF;
    return code >= 0xF3F3 && code <= 0xF4FE && cell >= 0xA1 && cell <= 0xFE;
}

// ICU knows no JIS X 0213 (ISO-2022-JP-2004's ESC $ ( Q and the like) and would read the escape's
// tail and every pair after it as ASCII. The program reads plane 1 where JIS X 0208 has the cell
// and writes every other cell as 〓: the reference reads the text as input::jisX0213AsJisX0208
// rewrites it (encoding_reference_test.cpp holds that rewriting to the system's EUC-JP cell by
// cell).

// Which departures the references met: a table entry never met is stale.
struct DeparturesMet {
    std::set<char32_t> variants;
    std::set<char> controls;
    std::size_t ibmRun = 0;
};
inline DeparturesMet& departuresMet() {
    static DeparturesMet met;
    return met;
}

// `bytes` from one encoding to another through the system's iconv; nothing when it cannot.
inline std::optional<std::string> iconvRecode(std::string_view bytes, const char* from,
                                              const char* to) {
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no converter ") + from + " -> " + to);
    std::string out(bytes.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

inline std::optional<std::u16string> iconvToUtf16(std::string_view bytes, const char* from) {
    const std::optional<std::string> out = iconvRecode(bytes, from, "UTF-16LE");
    if (!out)
        return std::nullopt;
    std::u16string units;
    for (std::size_t i = 0; i + 1 < out->size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>((*out)[i]) |
                                       static_cast<unsigned char>((*out)[i + 1]) << 8);
    return units;
}

struct Converted {
    std::string bytes;
    std::size_t replaced = 0;
    bool operator==(const Converted&) const = default;
};

namespace icu_detail {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

inline Converter open(const char* name) {
    UErrorCode error = U_ZERO_ERROR;
    Converter c(ucnv_open(name, &error));
    if (U_FAILURE(error))
        throw std::runtime_error(std::string("ICU lacks ") + name);
    return c;
}

inline bool isError(UConverterCallbackReason reason) {
    return reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR;
}

// What cannot be read is one U+FFFD (one 〓 for each), but for the eucJP-ms run.
inline void toUnicode(const void* context, UConverterToUnicodeArgs* args, const char* units,
                      int32_t length, UConverterCallbackReason reason, UErrorCode* error) {
    if (!isError(reason))
        return;
    std::u16string replacement = u"\uFFFD";
    const std::string_view sequence(units, static_cast<std::size_t>(length));
    if (*static_cast<const bool*>(context) && reason == UCNV_UNASSIGNED &&
        isEucJpMsIbmRun(sequence)) {
        const auto read = iconvToUtf16(sequence, "EUC-JP-MS");
        if (read && read->size() == 1) {
            replacement = *read;
            ++departuresMet().ibmRun;
        }
    }
    *error = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, reinterpret_cast<const UChar*>(replacement.data()),
                          static_cast<int32_t>(replacement.size()), 0, error);
}

// A character windows-31j has no code for: a JIS variant's code, else its readable form (the
// program's own table), else a counted 〓.
inline void fromUnicode(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                        UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* error) {
    if (!isError(reason))
        return;
    std::string bytes = kIcuGeta;
    if (const auto variant = kJisVariants.find(static_cast<char32_t>(codePoint));
        variant != kJisVariants.end()) {
        bytes = variant->second;
        departuresMet().variants.insert(variant->first);
    } else if (const std::string_view form = input::readableForm(static_cast<char32_t>(codePoint));
               !form.empty()) {
        bytes = form;
    } else {
        ++*static_cast<std::size_t*>(const_cast<void*>(context));
    }
    *error = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, bytes.data(), static_cast<int32_t>(bytes.size()), 0, error);
}

inline const char* icuNameOf(input::Encoding encoding) {
    switch (encoding) {
    case input::Encoding::Utf8:
        return "UTF-8";
    case input::Encoding::Utf16Le:
        return "UTF-16LE";
    case input::Encoding::Utf16Be:
        return "UTF-16BE";
    case input::Encoding::EucJp:
        return "EUC-JP";
    case input::Encoding::Iso2022Jp:
        // -2: plain ISO-2022-JP refuses JIS X 0212 and the other sets the program reads.
        return "ISO-2022-JP-2";
    default:
        throw std::logic_error("no ICU converter for code page 932 itself");
    }
}

} // namespace icu_detail

// ICU's reading of texts in one encoding, written by windows-31j, with the departures above. The
// byte-order mark is dropped first, as the program's contract says.
class IcuReference {
  public:
    explicit IcuReference(input::Encoding encoding)
        : m_encoding(encoding), m_decoder(icu_detail::open(icu_detail::icuNameOf(encoding))),
          m_encoder(icu_detail::open("windows-31j")), m_eucJp(encoding == input::Encoding::EucJp) {}

    // The text read by ICU as it stands, without the JIS X 0213 rewriting or the mark dropped.
    Converted convertRaw(std::string_view bytes) {
        Converted result;
        UErrorCode error = U_ZERO_ERROR;
        ucnv_resetToUnicode(m_decoder.get());
        ucnv_resetFromUnicode(m_encoder.get());
        ucnv_setToUCallBack(m_decoder.get(), icu_detail::toUnicode, &m_eucJp, nullptr, nullptr,
                            &error);
        ucnv_setFromUCallBack(m_encoder.get(), icu_detail::fromUnicode, &result.replaced, nullptr,
                              nullptr, &error);
        const char* source = bytes.data();
        const char* const end = bytes.data() + bytes.size();
        UChar pivot[1024];
        UChar* pivotSource = pivot;
        UChar* pivotTarget = pivot;
        char chunk[4096];
        bool reset = true;
        do {
            char* target = chunk;
            error = U_ZERO_ERROR;
            ucnv_convertEx(m_encoder.get(), m_decoder.get(), &target, chunk + sizeof chunk, &source,
                           end, pivot, &pivotSource, &pivotTarget, pivot + 1024, reset, true,
                           &error);
            reset = false;
            for (char* p = chunk; p != target; ++p) {
                if (const auto swap = kControlCodeSwap.find(*p); swap != kControlCodeSwap.end()) {
                    departuresMet().controls.insert(*p);
                    *p = swap->second;
                }
            }
            result.bytes.append(chunk, target);
        } while (error == U_BUFFER_OVERFLOW_ERROR);
        if (U_FAILURE(error))
            throw std::runtime_error(std::string("ICU failed: ") + u_errorName(error));
        return result;
    }

    Converted convert(std::string_view bytes) {
        std::string_view text = bytes.substr(input::byteOrderMarkLength(bytes, m_encoding));
        std::optional<std::string> rewritten;
        if (m_encoding == input::Encoding::Iso2022Jp &&
            (rewritten = input::jisX0213AsJisX0208(text)))
            text = *rewritten;
        return convertRaw(text);
    }

  private:
    input::Encoding m_encoding;
    icu_detail::Converter m_decoder;
    icu_detail::Converter m_encoder;
    bool m_eucJp;
};

} // namespace testing_support

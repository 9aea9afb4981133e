// Conversion to code page 932 through ICU: the source is decoded to UTF-16 and encoded with ICU's
// "windows-31j" (IBM's table 943, which picks Microsoft's codes among the duplicates); and ICU's
// charset detector for the one question the byte rules leave open. A Windows build replaces this
// file.

#include "input/encoding.h"
#include "input/encoding_shared.h"

#include "engine/sjis.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucsdet.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace input {

namespace {

using engine::kGeta;

// An ICU failure here is no property of the text: memory ran out (which the run confines to its
// entry) or the installed ICU lacks a converter.
void throwOnFailure(UErrorCode error, const char* what) {
    if (error == U_MEMORY_ALLOCATION_ERROR)
        throw std::bad_alloc();
    if (U_FAILURE(error))
        throw std::runtime_error(std::string(what) + ": " + u_errorName(error));
}

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter(const char* name) {
    UErrorCode error = U_ZERO_ERROR;
    Converter converter(ucnv_open(name, &error));
    throwOnFailure(error, name);
    return converter;
}

const char* icuNameOf(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        return "UTF-8";
    case Encoding::Utf16Le:
        return "UTF-16LE";
    case Encoding::Utf16Be:
        return "UTF-16BE";
    case Encoding::EucJp:
        return "EUC-JP";
    case Encoding::Iso2022Jp:
        // -2 rather than plain ISO-2022-JP, which refuses JIS X 0212 (ESC $ ( D) and would read
        // the escape's tail and everything after it as ASCII.
        return "ISO-2022-JP-2";
    default:
        return nullptr;
    }
}

// Called by the encoder for a character windows-31j has no code for. A surrogate pair arrives
// here once, as one code point, so it counts once; a lone surrogate and the U+FFFD of an
// undecodable sequence count as one character each.
void substituteGeta(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                    UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* error) {
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR)
        return; // reset, close or clone: nothing to write
    std::string_view bytes = kGeta;
    if (const auto variant = jisVariantBytes(static_cast<char32_t>(codePoint)))
        bytes = *variant;
    else
        ++*static_cast<std::size_t*>(const_cast<void*>(context));
    *error = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, bytes.data(), static_cast<int32_t>(bytes.size()), 0, error);
}

// Called by the decoder for a sequence it cannot read: one U+FFFD, whatever substitute the table
// names, so that the encoder writes a counted 〓. EUC-JP's decoder lacks eucJP-ms's IBM
// extensions: they are read here.
struct DecodeContext {
    bool eucJp;
};

void decodeAsReplacement(const void* context, UConverterToUnicodeArgs* args, const char* codeUnits,
                         int32_t length, UConverterCallbackReason reason, UErrorCode* error) {
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR)
        return;
    UChar replacement = 0xFFFD;
    if (static_cast<const DecodeContext*>(context)->eucJp && reason == UCNV_UNASSIGNED) {
        if (const char16_t extension =
                eucJpMsIbmExtension(std::string_view(codeUnits, static_cast<std::size_t>(length))))
            replacement = extension;
    }
    *error = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

// Decodes `text` with `decoder` and encodes it with `encoder` through a small UTF-16 pivot, in
// slices: time linear in the text, and beyond the result only fixed buffers (ICU also counts in
// 32 bits inside, so no single call may see more than a slice).
std::string transcode(std::string_view text, UConverter* decoder, UConverter* encoder) {
    constexpr std::size_t kSlice = std::size_t{1} << 20;
    constexpr std::size_t kPivotSize = 4096;
    constexpr std::size_t kChunkSize = std::size_t{1} << 16;

    std::string out;
    // Japanese UTF-8 shrinks by a third and UTF-16 and EUC-JP stay about the same, so the input's
    // size holds the result but for the rare text of undecodable bytes, which doubles.
    out.reserve(text.size());
    const auto pivot = std::make_unique<UChar[]>(kPivotSize);
    const auto chunk = std::make_unique<char[]>(kChunkSize);
    UChar* pivotSource = pivot.get();
    UChar* pivotTarget = pivot.get();
    const char* source = text.data();
    const char* const end = text.data() + text.size();
    bool reset = true;
    do {
        const char* const sliceEnd =
            static_cast<std::size_t>(end - source) > kSlice ? source + kSlice : end;
        const bool flush = sliceEnd == end;
        UErrorCode error;
        do {
            char* target = chunk.get();
            error = U_ZERO_ERROR;
            ucnv_convertEx(encoder, decoder, &target, chunk.get() + kChunkSize, &source, sliceEnd,
                           pivot.get(), &pivotSource, &pivotTarget, pivot.get() + kPivotSize, reset,
                           flush, &error);
            reset = false;
            // ICU's windows-31j is IBM's table, which exchanges the control codes 1A, 1C and 7F;
            // Microsoft's code page 932 keeps them, and so does the text. No trail byte is below
            // 40 or is 7F, so each such byte is a character of its own.
            for (char* p = chunk.get(); p != target; ++p) {
                if (*p == '\x7F')
                    *p = '\x1A';
                else if (*p == '\x1A')
                    *p = '\x1C';
                else if (*p == '\x1C')
                    *p = '\x7F';
            }
            out.append(chunk.get(), static_cast<std::size_t>(target - chunk.get()));
        } while (error == U_BUFFER_OVERFLOW_ERROR);
        throwOnFailure(error, "conversion to windows-31j");
    } while (source != end);
    return out;
}

} // namespace

bool eucJpOutweighsShiftJis(std::string_view sample) {
    UErrorCode error = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&error),
                                                                              &ucsdet_close);
    throwOnFailure(error, "ucsdet_open");
    const std::size_t length = std::min<std::size_t>(sample.size(), INT32_MAX);
    ucsdet_setText(detector.get(), sample.data(), static_cast<int32_t>(length), &error);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &error);
    throwOnFailure(error, "ucsdet_detectAll");
    // A recogniser without a match has confidence 0: ICU lists only matches above it.
    int32_t eucJp = 0;
    int32_t shiftJis = 0;
    for (int32_t i = 0; i < count; ++i) {
        const char* name = ucsdet_getName(matches[i], &error);
        const int32_t confidence = ucsdet_getConfidence(matches[i], &error);
        throwOnFailure(error, "ucsdet_getName");
        if (std::strcmp(name, "EUC-JP") == 0)
            eucJp = std::max(eucJp, confidence);
        else if (std::strcmp(name, "Shift_JIS") == 0)
            shiftJis = std::max(shiftJis, confidence);
    }
    // Only a clear verdict moves a text off code page 932, where it has always been read: a few
    // half-width katakana are valid EUC-JP too, and the statistics know little of them.
    constexpr int32_t kClearConfidence = 50;
    return eucJp >= kClearConfidence && eucJp > shiftJis;
}

Decoded ToCodePage932(std::string_view bytes, Encoding choice) {
    Decoded result;
    const Encoding encoding = choice == Encoding::Auto ? DetectEncoding(bytes) : choice;
    const char* sourceName = icuNameOf(encoding);
    if (!sourceName)
        return result; // code page 932 already: the caller keeps its bytes

    std::string_view text = bytes.substr(byteOrderMarkLength(bytes, encoding));
    std::optional<std::string> rewritten;
    if (encoding == Encoding::Iso2022Jp) {
        rewritten = jisX0213AsJisX0208(text);
        if (rewritten)
            text = *rewritten;
    }

    const Converter decoder = openConverter(sourceName);
    const Converter encoder = openConverter("windows-31j");
    UErrorCode error = U_ZERO_ERROR;
    const DecodeContext decodeContext{encoding == Encoding::EucJp};
    ucnv_setToUCallBack(decoder.get(), decodeAsReplacement, &decodeContext, nullptr, nullptr,
                        &error);
    ucnv_setFromUCallBack(encoder.get(), substituteGeta, &result.replaced, nullptr, nullptr,
                          &error);
    throwOnFailure(error, "ucnv_setCallBack");

    result.bytes = transcode(text, decoder.get(), encoder.get());
    result.converted = true;
    return result;
}

} // namespace input

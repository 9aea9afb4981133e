#include "input/encoding.h"

namespace input {

std::optional<Encoding> EncodingFromName(std::string_view name) {
    if (name == "auto")
        return Encoding::Auto;
    if (name == "sjis")
        return Encoding::ShiftJis;
    if (name == "utf-8")
        return Encoding::Utf8;
    if (name == "euc-jp")
        return Encoding::EucJp;
    return std::nullopt;
}

std::string_view EncodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Auto:
        return "auto";
    case Encoding::ShiftJis:
        return "sjis";
    case Encoding::Utf8:
        return "utf-8";
    case Encoding::Utf16Le:
        return "utf-16le";
    case Encoding::Utf16Be:
        return "utf-16be";
    case Encoding::EucJp:
        return "euc-jp";
    case Encoding::Iso2022Jp:
        return "iso-2022-jp";
    }
    return "auto";
}

} // namespace input

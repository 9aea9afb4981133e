// Generated Shift_JIS texts, copied into every other encoding the way files get damaged or saved
// in the wild, must read back as the Shift_JIS original: the encoding is found out, whatever the
// copy. Texts are generated from a fixed seed; the copies come from the system's converter and
// the JIS arithmetic, not from the program's own decoders.
#include "engine/sjis.h"
#include "engine/text_stream.h"
#include "engine/utf8.h"
#include "input/encoding.h"
#include "input/source_text.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace testing_support;
using engine::Encoding;

namespace {

const std::string kGeta = "\x81\xAC"; // 〓

// The code page 932 bytes of a JIS X 0208 row and cell.
std::string sjisOfCell(int row, int cell) {
    const int lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
    const int trail = row % 2 ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
    return {static_cast<char>(lead), static_cast<char>(trail)};
}

// Text made of the characters Japanese prose is made of.
class TextMaker {
  public:
    explicit TextMaker(unsigned seed) : m_rng(seed) {}

    int below(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }
    std::string hiragana() { return sjisOfCell(4, 1 + below(83)); }
    std::string katakana() { return sjisOfCell(5, 1 + below(86)); }
    std::string kanji() {
        const int row = 16 + below(32); // level 1
        return sjisOfCell(row, 1 + below(row == 47 ? 51 : 94));
    }
    std::string punctuation() {
        static const std::string marks = sj("、。「」・！？（）…『』ー");
        const int k = below(static_cast<int>(marks.size() / 2));
        return marks.substr(static_cast<std::size_t>(2 * k), 2);
    }

    // `count` characters of one of three kinds: kana alone, mostly kanji (with a kana or a mark
    // among them), or kana and kanji with punctuation.
    std::string piece(int kind, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            const int roll = below(100);
            if (kind == 0)
                text += roll < 60 ? hiragana() : katakana();
            else if (kind == 1)
                text += i == count / 2 ? (roll < 50 ? hiragana() : punctuation()) : kanji();
            else
                text += roll < 30 ? punctuation() : roll < 65 ? hiragana() : kanji();
        }
        return text;
    }

    // Lines of prose with CR LF breaks, now and then ASCII or half-width katakana.
    std::string prose(int lines) {
        std::string text;
        for (int l = 0; l < lines; ++l) {
            text += sj("　");
            for (int n = 5 + below(40); n > 0; --n) {
                const int roll = below(100);
                text += roll < 45   ? hiragana()
                        : roll < 75 ? kanji()
                        : roll < 85 ? katakana()
                                    : punctuation();
                if (roll == 99)
                    text += "abc";
                else if (roll == 98)
                    text += "\xB6\xDE\xB7"; // ｶﾞｷ
            }
            text += sj("。") + "\r\n";
        }
        return text;
    }

    // Half-width katakana words whose bytes are well-formed UTF-8 as well: a byte C2-DF (ﾂ-ﾟ)
    // followed by one A1-BF (｡-ｿ) reads as a two-byte UTF-8 letter.
    std::string halfWidthLine() {
        std::string line;
        for (int w = 1 + below(5); w > 0; --w) {
            for (int pairs = 1 + below(3); pairs > 0; --pairs) {
                line += static_cast<char>(0xC2 + below(0xDF - 0xC2 + 1));
                line += static_cast<char>(0xA1 + below(0xBF - 0xA1 + 1));
            }
            line += w > 1 ? " " : "\r\n";
        }
        return line;
    }

  private:
    std::mt19937 m_rng;
};

std::string utf8Of(std::string_view sjis) {
    std::string out;
    const std::u16string units = utf16FromShiftJis(sjis);
    for (const char16_t u : units) { // code page 932 has nothing beyond the BMP
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | u >> 6);
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | u >> 12);
            out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string utf16Of(std::string_view sjis, bool bigEndian) {
    std::string out;
    for (const char16_t u : utf16FromShiftJis(sjis)) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

// EUC-JP by the JIS arithmetic, for texts of JIS X 0208 characters, half-width katakana and ASCII.
std::string eucJpOf(std::string_view sjis) {
    std::string out;
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (b >= 0xA1 && b <= 0xDF) {
            out += '\x8E';
            out += static_cast<char>(b);
        } else {
            const auto t = static_cast<unsigned char>(sjis[++i]);
            int row = (b <= 0x9F ? b - 0x81 : b - 0xC1) * 2 + 1;
            int cell = t - 0x3F - (t >= 0x80 ? 1 : 0);
            if (t >= 0x9F) {
                ++row;
                cell = t - 0x9E;
            }
            out += static_cast<char>(0xA0 + row);
            out += static_cast<char>(0xA0 + cell);
        }
    }
    return out;
}

struct Read {
    std::string text;
    std::size_t replaced;
};

// A source as the run reads it, the encoding found out.
Read readAuto(const std::string& bytes) {
    engine::Settings settings;
    engine::NoEventPump pump;
    engine::SourceText source = input::SourceFromBytes(bytes, settings, pump);
    return {std::move(source.text), source.replaced};
}

void expectReadAs(const std::string& copy, const std::string& text, std::size_t replaced,
                  const std::string& label) {
    const Read got = readAuto(copy);
    EXPECT_TRUE(got.text == text && got.replaced == replaced)
        << label << ": taken as " << static_cast<int>(input::DetectEncoding(copy)) << "\n  copy "
        << hex(copy) << "\n  read " << hex(got.text) << "\n  want " << hex(text);
}

std::string withoutLastCharacter(const std::string& sjis) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < sjis.size(); i += engine::charLengthAt(sjis, i))
        last = i;
    return sjis.substr(0, last);
}

} // namespace

TEST(EncodingVariants, CopiesOfABookReadAsTheOriginal) {
    TextMaker maker(20261209);
    for (int round = 0; round < 40; ++round) {
        const std::string sjis = maker.prose(1 + maker.below(30));
        const std::string label = "book " + std::to_string(round);
        EXPECT_FALSE(input::ToCodePage932(sjis, Encoding::Auto).converted) << label;
        std::string asRead = sjis;
        engine::MakeTextAsRead(asRead);
        const std::string utf8 = utf8Of(sjis);
        expectReadAs(utf8, asRead, 0, label + " in UTF-8");
        expectReadAs(utf16Of(sjis, false), asRead, 0, label + " in UTF-16LE without BOM");
        expectReadAs(utf16Of(sjis, true), asRead, 0, label + " in UTF-16BE without BOM");
        expectReadAs(eucJpOf(sjis), asRead, 0, label + " in EUC-JP");
        // A stray Latin-1 byte, as a last line "caf\xE9" leaves one: UTF-8 all the same, with one
        // 〓 for the byte.
        expectReadAs(utf8 + "caf\xE9", asRead + "caf" + kGeta, 1, label + " with a stray byte");
        // Cut inside its last character: the rest reads, the cut one is a 〓.
        const std::string lastLine = maker.piece(2, 3);
        const std::string whole = utf8Of(lastLine);
        const std::string cut = whole.substr(0, whole.size() - 1 - maker.below(2));
        expectReadAs(utf8 + cut, readAuto(sjis + withoutLastCharacter(lastLine)).text + kGeta, 1,
                     label + " cut inside its last character");
    }
}

TEST(EncodingVariants, ShortEucJpPiecesReadAsTheOriginal) {
    TextMaker maker(5);
    for (int round = 0; round < 300; ++round) {
        const int kind = round % 3;
        const std::string sjis = maker.piece(kind, 5 + maker.below(11));
        expectReadAs(eucJpOf(sjis), sjis, 0, "piece of kind " + std::to_string(kind));
    }
}

TEST(EncodingVariants, HalfWidthKatakanaThatIsAlsoUtf8StaysShiftJis) {
    TextMaker maker(7);
    for (int round = 0; round < 300; ++round) {
        std::string sjis;
        for (int lines = 1 + maker.below(3); lines > 0; --lines)
            sjis += maker.halfWidthLine();
        for (std::size_t i = 0, length = 0; i < sjis.size(); i += length) {
            length = engine::utf8SequenceLength(sjis, i);
            ASSERT_NE(length, 0u) << "not UTF-8 as well: " << hex(sjis);
        }
        EXPECT_EQ(input::DetectEncoding(sjis), Encoding::ShiftJis) << hex(sjis);
        EXPECT_FALSE(input::ToCodePage932(sjis, Encoding::Auto).converted) << hex(sjis);
    }
}

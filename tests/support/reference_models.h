#pragma once
// Step-by-step models of the engine, written as plainly as the rules read, for checking the fused
// fast paths against: the old line-break step followed by the scan that edits the text in place,
// and the layout and writer cell by cell. Also random texts with the pieces the rules care about.

#include "support/sjis_text.h"

#include <cstdint>
#include <random>
#include <string>

namespace testing_support {

inline bool lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline unsigned char at(const std::string& s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// Every LF becomes CR LF, a lone CR as well, a CR LF pair stays; a second byte is never a break.
inline std::string literalLineBreakStep(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size();) {
        const unsigned char b = at(in, i);
        if (lead(b)) {
            out += in.substr(i, 2);
            i += 2;
        } else if (b == '\n') {
            out += "\r\n";
            ++i;
        } else if (b == '\r') {
            out += "\r\n";
            i += (i + 1 < in.size() && in[i + 1] == '\n') ? 2 : 1;
        } else {
            out += in[i];
            ++i;
        }
    }
    return out;
}

inline bool pairIs(const std::string& s, std::size_t i, unsigned char a, unsigned char b) {
    return i + 1 < s.size() && at(s, i) == a && at(s, i + 1) == b;
}

inline std::string literalNormalize(bool verse, int n, std::string text) {
    std::size_t p = 0;
    std::int64_t t = 0;
    while (p < text.size()) {
        const unsigned char b = at(text, p);
        if (lead(b)) {
            p += 2;
            ++t;
        } else if (b == '\r') {
            text.erase(p, 2);
            const std::int64_t r = t % n;
            std::int64_t k = 0;
            const bool nextEmpty = p < text.size() && text[p] == '\r';
            if (nextEmpty) {
                k = r == 0 ? n : 2 * n - r;
            } else if (verse) {
                k = r == 0 ? 0 : n - r;
            } else if (pairIs(text, p, 0x81, 0x40)) {
                k = r == 0 || pairIs(text, p + 2, 0x81, 0x40) ? 0 : n - r;
            } else if (pairIs(text, p, 0x81, 0x75)) {
                k = r == 0 ? 0 : n - r;
            } else if (p >= 2 && pairIs(text, p - 2, 0x81, 0x76)) {
                k = r == 0 ? 0 : n - r;
            }
            std::string spaces;
            for (std::int64_t i = 0; i < k; ++i)
                spaces += "\x81\x40";
            text.insert(p, spaces);
        } else if (b >= 0xA0 && b <= 0xDF && p + 1 < text.size() &&
                   (at(text, p + 1) == 0xDE || at(text, p + 1) == 0xDF)) {
            p += 2;
            ++t;
        } else {
            ++p;
            ++t;
        }
    }
    return text;
}

inline std::string fullWidthOf(unsigned char b) {
    // 0x20-0x7E in code page 932 order of the full-width forms.
    static const std::string table =
        sj("　！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？"
           "＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ［￥］＾＿"
           "‘ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝￣");
    return table.substr(2 * (b - 0x20), 2);
}

inline std::string kanaOf(unsigned char b) {
    static const std::string table =
        sj("　。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハ"
           "ヒフヘホマミムメモヤユヨラリルレロワン゛゜");
    return table.substr(2 * (b - 0xA0), 2);
}

struct Model {
    int rowCount;
    int textLength;
    int columnSlots;
    std::string spacer;
    int cursor = 1;
    bool exhausted = false;
    std::string rows[32];

    bool buildColumn(const std::string& text) {
        for (int i = 0; i < rowCount; ++i) {
            if (cursor >= textLength) {
                exhausted = true;
                return true;
            }
            const unsigned char b = at(text, cursor - 1);
            std::string cell;
            int step = 1;
            if (lead(b) && cursor + 1 == textLength) {
                cell = "\x81\xac"; // a lone lead byte in front of the end byte: 〓
            } else if (lead(b)) {
                const unsigned char c = at(text, cursor);
                step = 2;
                if (b == 0x81 && c == 0x42)
                    cell = " \xdf";
                else if (b == 0x81 && c == 0x41)
                    cell = " `";
                else if (b == 0x81 && (c == 0x5B || c == 0x5C))
                    cell = "\x81\x62";
                else
                    cell = text.substr(cursor - 1, 2);
            } else if (b == 0x2D) {
                cell = "\x81\x62";
            } else if (b >= 0x20 && b <= 0x7E) {
                cell = fullWidthOf(b);
            } else if (b >= 0xA0 && b <= 0xDF &&
                       (at(text, cursor) == 0xDE || at(text, cursor) == 0xDF)) {
                cell = text.substr(cursor - 1, 2);
                step = 2;
            } else if (b >= 0xA0 && b <= 0xDF) {
                cell = kanaOf(b);
            } else {
                cell = text.substr(cursor - 1, 1);
            }
            rows[i].insert(0, cell);
            cursor += step;
        }
        return false;
    }
    bool packedPage(const std::string& text) {
        for (auto& r : rows)
            r.clear();
        bool result = false;
        for (int k = 0; k < columnSlots; ++k)
            result = buildColumn(text);
        return result;
    }
    bool spacedPage(const std::string& text) {
        for (auto& r : rows)
            r.clear();
        if (spacer == " ")
            for (int i = 0; i < rowCount; ++i)
                rows[i].insert(0, " ");
        for (int slot = columnSlots; slot >= 1; --slot) {
            if (slot % 2 == 0)
                buildColumn(text);
            else
                for (int i = 0; i < rowCount; ++i)
                    rows[i].insert(0, spacer);
        }
        return exhausted;
    }
    // WritePage through a text stream that stores every LF as CR LF.
    void writePage(std::string& out) {
        std::string page = "\n";
        for (int i = 0; i < rowCount; ++i) {
            std::string row = rows[i];
            if (row.size() < 40)
                row.insert(0, 40 - row.size(), ' ');
            page += row + "\n";
        }
        for (const char c : page)
            out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
};

// The bytes an output file holds for a prepared text (end byte included).
inline std::string modelFile(int rowCount, int columnSlots, const std::string& spacer, bool packed,
                             const std::string& text) {
    Model m{rowCount, static_cast<int>(text.size()), columnSlots, spacer, 1, false, {}};
    std::string out;
    for (int page = 0; page < 100000; ++page) {
        const bool done = packed ? m.packedPage(text) : m.spacedPage(text);
        m.writePage(out);
        if (done)
            break;
    }
    out += "\r\n";
    return out;
}

// Random source text as read (no CR unless asked), with the pieces the rules care about.
inline std::string randomText(std::mt19937& rng, std::size_t pieces, bool withCr) {
    static const char* const common[] = {"\x8e\x9a",
                                         "\x8e\x9a",
                                         "\x8e\x9a",
                                         "a",
                                         "\x81\x40",
                                         "\x81\x75",
                                         "\x81\x76",
                                         "\n",
                                         "\n\n",
                                         "\xb6",
                                         "\xde",
                                         "\xb6\xde",
                                         " ",
                                         "\x09",
                                         "\x81",
                                         "\x76",
                                         "\x88\x81",
                                         "\x81\x42",
                                         "-",
                                         "\x81\x5b",
                                         "\x80",
                                         "\xa0",
                                         "\x81\x40\x81\x40",
                                         "\xfd"};
    static const char* const crs[] = {"\r", "\r\n", "\r\r\n", "\n\r"};
    std::string s;
    for (std::size_t i = 0; i < pieces; ++i) {
        if (withCr && rng() % 10 == 0)
            s += crs[rng() % std::size(crs)];
        else
            s += common[rng() % std::size(common)];
    }
    if (rng() % 4 == 0)
        s += "\x82"; // cut off by the end of the file
    return s + "\xFF";
}

inline constexpr int kRowCounts[] = {23, 19, 16, 14, 11, 10, 9, 8, 7};

} // namespace testing_support

#include "pair_cells.h"

#include "sjis.h"

namespace engine {
namespace {

// The digit a character is, or -1: '0'-'9' and ０-９ (0x824F-0x8258).
int digitAt(std::string_view s, std::size_t i) {
    const unsigned char b = byteAt(s, i);
    if (b >= '0' && b <= '9')
        return b - '0';
    if (b == 0x82 && i + 1 < s.size()) {
        const unsigned char second = byteAt(s, i + 1);
        if (second >= 0x4F && second <= 0x58)
            return second - 0x4F;
    }
    return -1;
}

} // namespace

void SetTwoDigitNumbersUpright(std::string& text, std::size_t from, LineLayouts& lines,
                               bool dropStrayMarks) {
    const std::string_view in = text;
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    // Bytes that stay as they are go over in stretches, up to the next change.
    std::size_t copied = 0;
    const auto copyUpTo = [&](std::size_t i) {
        out.append(in.substr(copied, i - copied));
        copied = i;
    };
    const auto outputAt = [&](std::size_t i) { return out.size() + (i - copied); };
    // Line starts move with their lines, and the start of a line's raised part with it.
    std::size_t nextLine = 0;
    LineLayout* raised = nullptr; // the line in hand, when it has a raised part
    std::size_t raisedAt = 0;     // where that part starts in `in`
    const auto moveLinesUpTo = [&](std::size_t i) {
        if (raised && raisedAt <= i) {
            raised->raiseFrom = outputAt(raisedAt) - raised->lineStart;
            raised = nullptr;
        }
        while (nextLine < lines.size() && lines[nextLine].lineStart <= i) {
            LineLayout& line = lines[nextLine++];
            if (line.lineStart < from)
                continue;
            if (line.raiseFrom > 0) {
                raised = &line;
                raisedAt = line.lineStart + line.raiseFrom;
            }
            line.lineStart = outputAt(line.lineStart);
        }
    };
    std::size_t i = from;
    while (i < in.size()) {
        if ((nextLine < lines.size() && lines[nextLine].lineStart <= i) ||
            (raised && raisedAt <= i))
            moveLinesUpTo(i);
        if (in[i] == kPairCellMark) {
            if (!dropStrayMarks) // the notation's own pair, or a lone mark: as it is
                i += isPairCellAt(in, i) ? kPairCellBytes : 1;
            else {
                copyUpTo(i);
                copied = ++i;
            }
            continue;
        }
        const int first = digitAt(in, i);
        if (first < 0) {
            i += charLengthAt(in, i);
            continue;
        }
        // A run of digits: two of them make a pair cell, any other count stays as it is.
        std::size_t end = i;
        int count = 0;
        // Digits on both sides of where a raised part starts are two numbers.
        while (end < in.size() && digitAt(in, end) >= 0 &&
               !(raised && end == raisedAt && end > i)) {
            end += charLengthAt(in, end);
            ++count;
        }
        if (count == 2) {
            copyUpTo(i);
            const std::size_t second = i + charLengthAt(in, i);
            out.push_back(kPairCellMark);
            out.push_back(static_cast<char>('0' + first));
            out.push_back(static_cast<char>('0' + digitAt(in, second)));
            copied = end;
        }
        i = end;
    }
    moveLinesUpTo(in.size());
    copyUpTo(in.size());
    text = std::move(out);
}

} // namespace engine

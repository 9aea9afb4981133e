#pragma once
// Which encoding a source's bytes are in, weighed from the bytes alone, alike on every system.

#include "engine/input_stage.h"
#include "engine/settings.h"

#include <optional>
#include <string_view>

namespace input {

// The encoding the bytes are taken to be in (never Auto) and, when the evidence for it was thin,
// the one that came closest.
struct EncodingVerdict {
    engine::Encoding encoding = engine::Encoding::ShiftJis;
    std::optional<engine::EncodingGuess> guess; // set for a close call or a tie
};

// A byte-order mark decides. A text of ASCII alone stays code page 932 (or is ISO-2022-JP when
// its escapes say so, or UTF-16 when its NUL bytes or kana say so). Otherwise every candidate
// encoding (code page 932, UTF-8, EUC-JP, UTF-16 of either byte order, and ISO-2022-JP where an
// escape designates a Japanese set) reads the text's first stretch with bytes beyond ASCII, and
// what it reads is scored: kana, common kanji and Japanese punctuation for it; runs of half-width
// katakana (a little), letters of other scripts, codes without a character, control bytes and,
// most of all, bytes it cannot read against it. The highest score wins, a tie goes to code page 932, and a
// verdict whose margin is small is a guess.
EncodingVerdict WeighEncodings(std::string_view bytes);

} // namespace input

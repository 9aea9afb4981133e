#!/usr/bin/env python3
"""Writes src/input/readable_forms.cpp: for characters code page 932 lacks, a readable form it
holds (ヷ as ワ゛, 〻 as 々, 揷 as 挿, ‼ as !!), keyed by code point and by JIS X 0213 plane-row-cell
(the codes Aozora Bunko's gaiji notes give).

Usage: make_readable_forms.py [OUTPUT]   (default: src/input/readable_forms.cpp beside this tool)

Needs Debian's unicode-data (UnicodeData.txt and Unihan in /usr/share/unicode). A character's form
is the first that code page 932 holds, in this order: the hand list below; its decomposition
(canonical or compatibility; each piece taken exactly or by its own form); Unihan's
kCompatibilityVariant, kZVariant, kSemanticVariant. A simplified form is never taken: a semantic
variant that is also the character's kSimplifiedVariant, or whose kTraditionalVariant is the
character, is skipped, and kSimplifiedVariant itself is not read.
"""
import bz2
import os
import re
import sys

UNICODE_DIR = "/usr/share/unicode"

# Aozora's frequent gaiji and the marks their decompositions leave.
HAND = {
    0x303B: "々",          # 〻 (ninojiten)
    0x30F7: "ワ゛", 0x30F8: "ヰ゛", 0x30F9: "ヱ゛", 0x30FA: "ヲ゛",
    0x2231E: "廻",         # 𢌞
    0x203C: "!!", 0x2049: "!?", 0x2048: "?!",
    0x63F7: "挿",          # 揷
    0x30FF: "コト",        # ヿ
    0x216A: "ＸＩ", 0x216B: "ＸＩＩ",
    0x3099: "゛", 0x309A: "゜",  # combining sound marks, as their spacing forms
}

# Shorter than the shortest coded gaiji note (※［＃1-1-1］, 13 bytes), so that taking the notation
# out never lengthens a text.
MAX_FORM_BYTES = 12


def cp932(text):
    """The bytes code page 932 gives `text`, or None. Where it knows two codes for a character,
    the one Windows writes (the IBM rows FA-FC over NEC's selection in ED-EE)."""
    try:
        b = text.encode("cp932")
    except UnicodeEncodeError:
        return None
    out = bytearray()
    i = 0
    while i < len(b):
        if b[i] < 0x80 or 0xA1 <= b[i] <= 0xDF:
            out.append(b[i])
            i += 1
            continue
        pair = b[i:i + 2]
        if pair[0] in (0xED, 0xEE):
            ch = pair.decode("cp932")
            for lead in (0xFA, 0xFB, 0xFC):
                for trail in range(0x40, 0xFD):
                    try:
                        if bytes([lead, trail]).decode("cp932") == ch:
                            pair = bytes([lead, trail])
                    except UnicodeDecodeError:
                        pass
        out += pair
        i += 2
    return bytes(out)


def code_points(field):
    return [int(m, 16) for m in re.findall(r"U\+([0-9A-F]+)", field)]


def read_unicode_data():
    decomposition = {}
    with open(os.path.join(UNICODE_DIR, "UnicodeData.txt"), encoding="ascii") as f:
        for line in f:
            fields = line.split(";")
            if fields[5]:
                parts = [p for p in fields[5].split() if not p.startswith("<")]
                decomposition[int(fields[0], 16)] = [int(p, 16) for p in parts]
    return decomposition


def read_unihan():
    variants = {}
    for name in ("Unihan_Variants.txt", "Unihan_IRGSources.txt"):
        path = os.path.join(UNICODE_DIR, name)
        opener = open if os.path.exists(path) else None
        if opener is None:
            path += ".bz2"
            opener = bz2.open
        with opener(path, "rt", encoding="utf-8") as f:
            for line in f:
                if line.startswith("#") or not line.strip():
                    continue
                cp, field, value = line.rstrip("\n").split("\t", 2)
                variants.setdefault((int(cp[2:], 16), field), []).extend(code_points(value))
    return variants


def form_of(cp, decomposition, variants, depth=0):
    """The code page 932 bytes of a readable form of `cp`, which code page 932 lacks, or None."""
    if cp in HAND:
        return cp932(HAND[cp])
    if depth > 0:
        exact = cp932(chr(cp))
        if exact is not None:
            return exact
        if depth > 2:
            return None
    if cp in decomposition:
        # One level at a time: ㌀'s パ stays パ rather than ハ and a sound mark.
        pieces = [form_of(p, decomposition, variants, depth + 1) for p in decomposition[cp]]
        if all(p is not None for p in pieces):
            return b"".join(pieces)
    simplified = set(variants.get((cp, "kSimplifiedVariant"), []))
    for field in ("kCompatibilityVariant", "kZVariant", "kSemanticVariant"):
        for v in variants.get((cp, field), []):
            if v == cp or v in simplified:
                continue
            if cp in variants.get((v, "kTraditionalVariant"), []):
                continue
            b = cp932(chr(v))
            if b is not None:
                return b
    return None


def lacks(cp):
    return cp932(chr(cp)) is None


def cpp_bytes(b):
    return "".join(f"\\x{x:02X}" for x in b)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src", "input", "readable_forms.cpp")
    decomposition = read_unicode_data()
    variants = read_unihan()

    by_code_point = []
    for cp in range(0x80, 0x30000):
        if 0xD800 <= cp <= 0xDFFF or 0xE000 <= cp <= 0xF8FF or not lacks(cp):
            continue
        form = form_of(cp, decomposition, variants)
        if form and len(form) <= MAX_FORM_BYTES:
            by_code_point.append((cp, form))

    forms = dict(by_code_point)
    by_jis = []
    for plane in (1, 2):
        for row in range(1, 95):
            for cell in range(1, 95):
                euc = bytes([0xA0 + row, 0xA0 + cell])
                if plane == 2:
                    euc = b"\x8f" + euc
                try:
                    text = euc.decode("euc_jis_2004")
                except UnicodeDecodeError:
                    continue
                if cp932(text) is not None:
                    continue  # held exactly: the plane-row-cell table has it
                pieces = [cp932(ch) or forms.get(ord(ch)) for ch in text]
                if all(pieces):
                    by_jis.append((plane << 16 | row << 8 | cell, b"".join(pieces)))

    def table(entries):
        return "\n".join(f'    {{0x{k:06X}, "{cpp_bytes(v)}"}},' for k, v in entries)

    text = f"""// Generated by tools/make_readable_forms.py from Unicode's data (Debian's unicode-data) and
// Python's cp932 codec; rerun it rather than editing. {len(by_code_point)} code points and {len(by_jis)}
// JIS X 0213 plane-row-cells that code page 932 lacks, with a form it holds.

#include "input/readable_forms.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace input {{

namespace {{

struct Form {{
    std::uint32_t key; // a code point, or plane << 16 | row << 8 | cell
    const char* bytes; // code page 932
}};

constexpr bool keysAscend(const auto& table) {{
    return std::is_sorted(table.begin(), table.end(),
                          [](const Form& a, const Form& b) {{ return a.key < b.key; }});
}}

std::string_view find(const auto& table, std::uint32_t key) {{
    const auto it = std::lower_bound(table.begin(), table.end(), key,
                                     [](const Form& f, std::uint32_t k) {{ return f.key < k; }});
    return it != table.end() && it->key == key ? std::string_view(it->bytes) : std::string_view();
}}

constexpr std::array<Form, {len(by_code_point)}> kByCodePoint{{{{
{table(by_code_point)}
}}}};
static_assert(keysAscend(kByCodePoint));

constexpr std::array<Form, {len(by_jis)}> kByJisX0213{{{{
{table(by_jis)}
}}}};
static_assert(keysAscend(kByJisX0213));

}} // namespace

std::string_view readableForm(char32_t codePoint) {{
    return find(kByCodePoint, static_cast<std::uint32_t>(codePoint));
}}

std::string_view readableFormOfJisX0213(int plane, int row, int cell) {{
    if (plane < 1 || plane > 2 || row < 1 || row > 94 || cell < 1 || cell > 94)
        return {{}};
    return find(kByJisX0213, static_cast<std::uint32_t>(plane << 16 | row << 8 | cell));
}}

std::span<const char32_t> codePointsWithReadableForms() {{
    static const auto keys = [] {{
        std::array<char32_t, kByCodePoint.size()> k{{}};
        for (std::size_t i = 0; i < k.size(); ++i)
            k[i] = kByCodePoint[i].key;
        return k;
    }}();
    return keys;
}}

}} // namespace input
"""
    with open(out, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes a generated Japanese book in Shift_JIS with CR LF line breaks, for benchmarks and
stress tests: a title and author, paragraphs opening with a full-width space, dialogue in 「」,
section breaks, ruby, now and then Latin letters and half-width kana.

Usage: make_book.py SIZE_IN_MB OUTPUT_FILE [SEED]
"""
import random
import sys

WORDS = ("の に は を た が て し で い る か な も っ こ れ と う り 私 人 日 時 女 子供 言 思 目 "
         "手 先生 道 家 太 一 二 出 行 見 来 心 事 今 何 自分 世 間 上 下 中 前 後 気 顔 声 夜 朝 雨 風 "
         "ある いる なる する 云う 思う 考え 東京 学校 電車 ステッキ ハンケチ").split()


def sentence(rng):
    parts = []
    for _ in range(rng.randrange(6, 30)):
        parts.append(rng.choice(WORDS))
        roll = rng.randrange(100)
        if roll < 6:
            parts.append("、")
        elif roll == 6:
            parts.append("《るび》")
        elif roll == 7:
            parts.append("ー")
        elif roll == 8:
            parts.append("abc")
    return "".join(parts) + "。"


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    size = int(float(sys.argv[1]) * 1024 * 1024)
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) == 4 else 1)
    out = bytearray("生成された本\r\n著者\r\n\r\n".encode("cp932"))
    while len(out) < size:
        kind = rng.randrange(20)
        if kind == 0:
            line = ""
        elif kind < 7:
            line = "「" + sentence(rng) + "」"
        else:
            line = "　" + "".join(sentence(rng) for _ in range(rng.randrange(1, 5)))
        out += line.encode("cp932") + b"\r\n"
        if kind == 19:
            out += b"\xb6\xde\xb7 \xca\xdf\r\n"
    with open(sys.argv[2], "wb") as f:
        # Cut at a line end, so the book stays valid code page 932 text.
        f.write(out[:out.rfind(b"\r\n", 0, size) + 2])


if __name__ == "__main__":
    main()

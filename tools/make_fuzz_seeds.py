#!/usr/bin/env python3
"""Writes a seed corpus for the fuzz harnesses: prose, verse, title/author heads, half-width kana,
control bytes, cut-off characters, settings files, Wine registry files, split plans and texts in
Aozora Bunko's notation, and zips.

Usage: make_fuzz_seeds.py OUTPUT_DIR   (creates OUTPUT_DIR/<harness>/ seed files)
"""
import os
import random
import sys


def sj(text):
    return text.encode("cp932")


def engine_seeds():
    prose = sj("　吾輩は猫である。名前はまだ無い。\r\n「どこで生れたか」\r\n\r\n　　とんと見当がつかぬ。\r\n")
    verse = sj("白い雲\r\n青い空のずっと上\r\n\r\n風\r\n")
    head = sj("山の道\r\n著者名\r\n\r\n　本文です。\r\n")
    kana = b"\xb6\xde\xb7\xde\xde\xa0\xca\xdf abc-~\\ \r\n"
    controls = b"\x09\x00\x7f\x80\xfd\xfe\xff\x1a" + sj("後")
    cut = sj("あいう") + b"\x82"
    stray = b"\x81\r\n\x81\n\x81" + sj("。、ー―")
    seeds = {}
    for name, body in [("prose", prose), ("verse", verse), ("head", head), ("kana", kana),
                       ("controls", controls), ("cut", cut), ("stray", stray)]:
        for flags in (0x00, 0x10, 0x20, 0x30):
            seeds[f"{name}_{flags:02x}"] = bytes([random.randrange(30), flags | random.randrange(4)]) + body
    return seeds


def header_seeds():
    return {
        "basic": sj("山の道\r\n著者名\r\n本文"),
        "symbols": b"A/B: Z\r\nX|Y\r\n",
        "so": sj("ソフト\r\n表示\r\n"),
        "long": sj("長") * 100 + b"\r\n" + b"a" * 96 + b"\r\n",
        "cr_only": sj("題\r著\r"),
        "empty_first": b"\r\n" + sj("著") + b"\r\n",
        "eof": sj("題") + b"\x1a\r\n" + sj("著") + b"\r\n",
    }


def settings_seeds():
    defaults = (b"[setting]\r\ngyokan=0\r\ncharsize=0\r\nspaceline=1\r\nusereturn=0\r\nuseheader=0\r\n"
                b"useheadertofile=0\r\nusedivision=0\r\ndivisionsize=1\r\nsavepath=\r\n")
    return {
        "defaults": defaults,
        "garbage": b"[Setting]\n GYOKAN = 7x\ncharsize=-5\nspaceline=abc\ndivisionsize=70000\nsavepath=" + b"x" * 300 + b"\n[other]\nk=v\n",
        "two_sections": b"[a]\nb=1\n[setting]\nusereturn=2\n[setting]\ngyokan=3\n",
    }


def wine_seeds():
    key = b"[Software\\\\Sony Corporation\\\\infoCarry\\\\infoCarry Manager] 1700000000\n"
    return {
        "plain": b"WINE REGISTRY Version 2\n\n" + key + b"\"HomePath\"=\"C:\\\\Users\\\\me\\\\infoCarry\"\n",
        "expand": key + b"\"HomePath\"=str(2):\"%USERPROFILE%\\\\ic\\x3042\"\n",
        "dword": key + b"\"HomePath\"=dword:00000001\n",
        "hex": key + b"\"HomePath\"=hex(2):43,00,3a,00,5c,00,00,00\n",
    }


def file_name_seeds():
    seeds = dict(header_seeds())
    seeds["nul"] = b"ab\0cd\r\nau\r\n"
    seeds["controls"] = b"x\x01y\tz\r\na\x1b\x7fu\r\n"
    seeds["separators"] = b"a/b\\c:d\r\n" + sj("ソ表") + b"\x81\n\r\n"
    return seeds


def split_plan_seeds():
    def plan(pages, per_file, by_size, path):
        return (pages.to_bytes(4, "little") + per_file.to_bytes(4, "little", signed=True)
                + bytes([by_size]) + path)
    return {
        "fits": plan(3, 10, 0, b"/books/tale.txt"),
        "numbered": plan(1000, 7, 0, b"/books/tale.v2.txt"),
        "by_size": plan(1, 5000, 1, b"tale"),
        "zero": plan(10, 0, 0, b"/a.b/c"),
        "negative": plan(10, -5, 1, b"/x/.hidden"),
        "backslash": plan(50, 3, 0, "/本/題\\名.txt".encode("utf-8")),
    }


def aozora_seeds():
    rule = "-" * 55
    explanation = (f"{rule}\n【テキスト中に現れる記号について】\n\n《》：ルビ\n（例）吾輩《わがはい》\n\n"
                   f"｜：ルビの付く文字列の始まりを特定する記号\n（例）青空｜文庫《ぶんこ》\n\n"
                   f"［＃］：入力者注　主に外字の説明や、傍点の位置の指定\n{rule}\n")
    bodies = {
        "ruby": "吾輩《わがはい》は猫である。\n青空｜文庫《ぶんこ》で読む。\n",
        "block": "［＃ここから２字下げ］\n一行目\n二行目\n［＃ここで字下げ終わり］\n本文\n",
        "page": "前の章\n［＃改ページ］\n次の章\n",
        "foot": "［＃地付き］了\n［＃３字下げ］見出し\n",
        "dots": "猫である［＃「猫である」に傍点］\n",
        "gaiji": "※［＃「目＋句」、第4水準2-81-91］を見る\n※［＃始め二重山括弧、1-1-52］\n",
        "explanation": f"猫\n夏目漱石\n\n{explanation}\n本文《ほんぶん》\n",
        "unclosed": "開いた《まま\n［＃閉じない\n［［＃注］＃\n",
    }
    seeds = {}
    for name, body in bodies.items():
        seeds[f"{name}_drop"] = b"\x00" + sj(body)
        seeds[f"{name}_paren"] = b"\x01" + sj(body.replace("\n", "\r\n"))
    return seeds


def decoding_seeds():
    text = "吾輩は猫である。ｶﾞｯｺｳ～①纊ⅰ∵￢\r\n〓 abc\x1a"
    jis0212 = "丂纊é"
    return {
        "utf8": text.encode("utf-8"),
        "utf8_bom": b"\xef\xbb\xbf" + text.encode("utf-8") + "😀𠮟".encode("utf-8"),
        "utf8_broken": b"a\xe3\x81\xc0\xafz\xed\xa0\x80\xf4\x90\x80\x80\xe3",
        "utf16le": b"\xff\xfe" + (text + "😀").encode("utf-16-le") + b"\x00\xd8z",
        "utf16be": b"\xfe\xff" + (text + "😀").encode("utf-16-be") + b"\xdc\x00",
        "eucjp": text.encode("cp932").decode("cp932", "replace").encode("euc_jp", "replace"),
        "eucjp_0212": jis0212.encode("euc_jp") + b"\x8f\xf3\xf3\x8f\xf4\xfe\x8e\xe0\x8f\xa2\xb7\xa4",
        "iso2022jp": "吾輩は猫である。\r\n".encode("iso2022_jp_ext") + b"\x1b(I12\x1b(B",
        "iso2022jp_sets": (b"\x1b$(D\x30\x21\x1b$A\x30\x21\x1b$(C\x30\x21\x1b.A\x1bNa\x1b.F\x1bNa"
                           b"\x1b$(Q\x2d\x21\x30\x21\x1b$(P\x21\x21\x1b(J\\~\x1b(O\x0e\x1b$"),
        "shift_jis": sj("吾輩は猫である。\r\n"),
    }


def zip_seeds():
    from make_zip import make_zip
    text = sj("吾輩は猫である\r\n夏目漱石\r\n\r\n　名前はまだ無い。\r\n") * 20
    png = b"\x89PNG\r\n\x1a\n" + bytes(range(256))
    aozora = [("wagahaiwa_nekodearu.txt", [text]), ("fig01.png", [png])]
    return {
        "aozora": make_zip(aozora),
        "kanji_name": make_zip([("吾輩は猫である/本文.TXT", [text]), ("表紙.png", [png])]),
        "utf8_name": make_zip([("猫.txt", [text])], utf8=True),
        "stored": make_zip(aozora, stored=True),
        "empty_member": make_zip([("empty.txt", [b""])]),
        "no_text": make_zip([("fig01.png", [png])]),
        "lying_size": make_zip([("bomb.txt", [bytes(200000)])], recorded_size=10),
        "comment": make_zip(aozora, comment=b"PK\x05\x06 not the end record"),
        "empty_zip": make_zip([]),
    }


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    random.seed(1)
    out = sys.argv[1]
    for harness, seeds in [("engine", engine_seeds()), ("header", header_seeds()),
                           ("settings", settings_seeds()), ("wine_registry", wine_seeds()),
                           ("file_name", file_name_seeds()), ("split_plan", split_plan_seeds()),
                           ("aozora", aozora_seeds()), ("decoding", decoding_seeds()),
                           ("zip", zip_seeds())]:
        folder = os.path.join(out, harness)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()

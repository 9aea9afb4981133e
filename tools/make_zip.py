#!/usr/bin/env python3
"""Writes a zip as Aozora Bunko makes them (member names in code page 932, deflated), or a
damaged one, for tests and fuzz seeds.

Usage: make_zip.py [options] OUTPUT.zip NAME=FILE...
  NAME         the member's name, given in UTF-8, written in code page 932 (or UTF-8, --utf8)
  FILE         the member's bytes; "zeros:N" for N zero bytes
  --utf8       names in UTF-8, marked so by flag bit 11
  --stored     members stored rather than deflated
  --size N     record N as every member's size (a lie, as a zip bomb tells it)
  --cut N      leave off the last N bytes of the zip
"""
import struct
import sys
import zlib


def deflate_chunks(chunks):
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    out = []
    for chunk in chunks:
        out.append(compressor.compress(chunk))
    out.append(compressor.flush())
    return b"".join(out)


def member_chunks(source):
    if source.startswith("zeros:"):
        left = int(source[6:])
        block = bytes(1 << 20)
        while left > 0:
            yield block[:min(left, len(block))]
            left -= len(block)
    else:
        with open(source, "rb") as f:
            yield f.read()


def make_zip(members, utf8=False, stored=False, recorded_size=None, comment=b""):
    """members: (name bytes or str, data chunks) pairs; returns the zip's bytes."""
    local = bytearray()
    central = bytearray()
    for name, chunks in members:
        if isinstance(name, str):
            name = name.encode("utf-8" if utf8 else "cp932")
        crc = 0
        size = 0
        raw = []
        for chunk in chunks:
            crc = zlib.crc32(chunk, crc)
            size += len(chunk)
            raw.append(chunk)
        data = b"".join(raw) if stored else deflate_chunks(raw)
        method = 0 if stored else 8
        flags = 0x800 if utf8 else 0
        size = size if recorded_size is None else recorded_size
        offset = len(local)
        local += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, method, 0, 0x21, crc,
                             len(data), size, len(name), 0) + name + data
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, flags, method, 0, 0x21,
                               crc, len(data), size, len(name), 0, 0, 0, 0, 0x20,
                               offset) + name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(members), len(members), len(central),
                      len(local), len(comment)) + comment
    return bytes(local + central + end)


def main(args):
    options = {"utf8": False, "stored": False, "size": None, "cut": 0}
    while args and args[0].startswith("--"):
        option = args.pop(0)[2:]
        if option in ("utf8", "stored"):
            options[option] = True
        elif option in ("size", "cut"):
            options[option] = int(args.pop(0))
        else:
            sys.exit(__doc__)
    if len(args) < 1:
        sys.exit(__doc__)
    output = args.pop(0)
    members = []
    for member in args:
        name, _, source = member.partition("=")
        members.append((name, member_chunks(source)))
    data = make_zip(members, options["utf8"], options["stored"], options["size"])
    if options["cut"]:
        data = data[:-options["cut"]]
    with open(output, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1:])

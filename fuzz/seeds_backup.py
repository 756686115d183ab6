#!/usr/bin/env python3
"""Writes the seed corpus of the backup decoder's fuzz target into the folder given."""

import os
import struct
import sys


def backup(engine: bytes, user_options: bytes, shader: bytes) -> bytes:
    header = struct.pack("<III", len(engine), len(user_options), len(shader))
    return header + engine + user_options + shader


def main() -> None:
    if len(sys.argv) != 2:
        sys.exit("usage: seeds_backup.py OUTPUT_FOLDER")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    engine = b"[Engine.Setup]\r\nRender.DOFStart=10.0\r\n"
    options = b"[Options.Video]\r\nResolution.Width=1024\r\n"
    shader = b"float bloom = 0.25 * tex2D(s0, uv).r;\n"
    seeds = {
        "valid": backup(engine, options, shader),
        "tiny": backup(b"abc", b"X", b"yz"),
        "empty_parts": backup(b"", b"", b""),
        "truncated": backup(b"abc", b"X", b"yz")[:14],
        "padded": backup(b"abc", b"X", b"yz") + b"\0",
        "huge_lengths": struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF) + b"x",
        "short_header": b"\x03\x00\x00",
        "name_dkb": b"settings.dkb",
    }
    for name, data in seeds.items():
        with open(os.path.join(out, "seed_" + name), "wb") as seed:
            seed.write(data)


if __name__ == "__main__":
    main()

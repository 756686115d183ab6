#!/usr/bin/env python3
"""Writes a few small binary key-value files (Steam's shortcuts.vdf) as seeds for fuzz_binary_vdf.
Usage: seeds_binary_vdf.py <folder>"""
import os
import struct
import sys


def key(kind: int, name: str) -> bytes:
    return bytes([kind]) + name.encode("utf-8") + b"\0"


def text(name: str, value: str) -> bytes:
    return key(1, name) + value.encode("utf-8") + b"\0"


def int32(name: str, value: int) -> bytes:
    return key(2, name) + struct.pack("<i", value)


def shortcut(index: int, appid, name: str, exe: str) -> bytes:
    body = b"" if appid is None else int32("appid", appid)
    body += text("AppName", name) + text("Exe", exe) + text("StartDir", '"/"')
    body += int32("IsHidden", 0) + int32("LastPlayTime", 1700000000)
    body += key(0, "tags") + text("0", "favorite") + b"\x08"
    return key(0, str(index)) + body + b"\x08"


SEEDS = {
    "two_shortcuts.vdf": key(0, "shortcuts")
    + shortcut(0, -432092274, "Draskel 3", '"/home/player/Games/Draskel 3/Draskel3.exe"')
    + shortcut(1, None, "Tool", '"/opt/tool"')
    + b"\x08\x08",
    "numbers.vdf": key(7, "u") + struct.pack("<Q", 2**63 + 5) + key(10, "s") + struct.pack("<q", -3)
    + key(3, "f") + struct.pack("<f", 1.5) + b"\x08",
    "empty.vdf": key(0, "shortcuts") + b"\x08\x08",
    "cut.vdf": key(0, "shortcuts") + shortcut(0, 1, "A", "x")[:9],
}


def main() -> None:
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()

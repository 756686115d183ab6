#!/usr/bin/env python3
"""Writes a few small Wine registry files as seeds for fuzz_wine_registry.
Usage: seeds_wine_registry.py <folder>"""
import os
import sys

HEADER = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"

SEEDS = {
    "system.reg": HEADER
    + "[Software\\\\Brannholt Productions Software AG\\\\Draskel III] 1700000000\n"
    + "#time=1d9c0a8b2e4f6a0\n"
    + '"INSTALL_DIR"="C:\\\\Program Files\\\\Dr\\x00e4skel \\"3\\""\n'
    + '@="default"\n',
    "user.reg": "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
    + "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders] 1\n"
    + '"Personal"=str(2):"%USERPROFILE%\\\\Documents"\n'
    + "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1\n"
    + '"Personal"="C:\\\\users\\\\steamuser\\\\Documents"\n',
    "kinds.reg": HEADER
    + "[A] 1\n"
    + '"d"=dword:0000002a\n'
    + '"h"=hex:01,02,\\\n  03,ff\n'
    + '"w"=hex(2):43,00,3a,00,00,00\n'
    + '"m"=str(7):"a\\0b\\0"\n'
    + '"e"="\\t\\n\\r\\a\\033\\x41\\xd83d\\xde00\\xd800!"\n',
    "crlf.reg": HEADER.replace("\n", "\r\n") + '[A]\r\n"a"="b"\r\n',
    "cut.reg": HEADER + '[A] 1\n"a"="unterminated\n',
}


def main() -> None:
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, text in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(text.encode("utf-8"))


if __name__ == "__main__":
    main()

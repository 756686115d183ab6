#!/usr/bin/env python3
"""Writes a few small Steam key-value files as seeds for fuzz_vdf. Usage: seeds_vdf.py <folder>"""
import os
import sys

SEEDS = {
    "libraryfolders_nested.vdf": '"libraryfolders"\n{\n\t"0"\n\t{\n\t\t"path"\t\t"/home/p/.local/share/Steam"\n'
    '\t\t"label"\t\t""\n\t\t"apps"\n\t\t{\n\t\t\t"228980"\t\t"1234"\n\t\t}\n\t}\n}\n',
    "libraryfolders_flat.vdf": '"LibraryFolders"\n{\n\t"TimeNextStatsReport"\t\t"1700000000"\n'
    '\t"1"\t\t"/mnt/games/SteamLibrary"\n\t"2"\t\t"D:\\\\Steam \\"x\\"\\t\\n"\n}\n',
    "appmanifest.acf": '"AppState"\n{\n\t"appid"\t\t"4711"\n\t"name"\t\t"Draskel 3"\n'
    '\t"installdir"\t\t"Draskel 3"\n\t"UserConfig"\n\t{\n\t\t"language"\t\t"english"\n\t}\n}\n',
    "comments_bare.vdf": "// comment\nAppState { appid 1 installdir x } // end\n",
    "open_block.vdf": '"a" { "b" { "c" "d" ',
}


def main() -> None:
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, text in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(text.encode("utf-8"))


if __name__ == "__main__":
    main()

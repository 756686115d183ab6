#!/usr/bin/env python3
"""Writes Lutris game files and Bottles' bottle.yml as seeds for fuzz_records_yaml.
Usage: seeds_records_yaml.py <folder>"""
import os
import sys

SEEDS = {
    "lutris_game.yml": "game:\n  exe: drive_c/Program Files/Draskel 3/Draskel3.exe\n"
    "  prefix: /home/p/Games/draskel-3\n  working_dir: /home/p/Games/draskel-3\n"
    "system:\n  env: {}\nwine:\n  version: lutris-7.2\n",
    "lutris_flow.yml": "game: {exe: '~/Draskel3.exe', prefix: \"/p\", args: [-w, -x]}\n",
    "bottle.yml": "Name: Games\nArch: win64\nRunner: soda-7.0-9\nPath: Games\nCustom_Path: false\n"
    "Environment: Gaming\nExternal_Programs:\n"
    "  5c0a0a3e-7c2b-4e0a-9a31-0d6e3a2d1f00:\n    executable: Draskel3.exe\n    name: Draskel 3\n"
    "    path: /home/p/Games/Draskel 3/Draskel3.exe\n    id: 5c0a0a3e-7c2b-4e0a-9a31-0d6e3a2d1f00\n"
    "    folder: /home/p/Games/Draskel 3\n    arguments: ''\n"
    "  other: [not, a, map]\n"
    "Installed_Dependencies:\n- vcredist2019\n- dotnet48\n",
    "anchors.yml": "a: &x {k: v}\nExternal_Programs: {p1: *x, p2: *x}\ngame: *x\n",
    "empty_programs.yml": "Name: x\nExternal_Programs: {}\n",
}


def main() -> None:
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, text in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(text.encode("utf-8"))


if __name__ == "__main__":
    main()

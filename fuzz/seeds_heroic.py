#!/usr/bin/env python3
"""Writes Heroic's JSON files as seeds for fuzz_heroic. Usage: seeds_heroic.py <folder>"""
import json
import os
import sys

SEEDS = {
    "gog_installed.json": {
        "installed": [
            {"platform": "windows", "executable": "", "install_path": "/home/p/Games/Heroic/Draskel 3",
             "install_size": "1.2 GiB", "is_dlc": False, "version": "1.45", "appName": "1207658924",
             "language": "en-US", "versionEtag": "", "buildId": "5"},
            {"platform": "linux", "install_path": "/x", "appName": "2"},
        ]
    },
    "legendary_installed.json": {
        "Draskel3": {"app_name": "Draskel3", "install_path": "/home/p/Games/Heroic/Draskel3",
                     "title": "Draskel 3", "platform": "Windows", "executable": "Draskel3.exe"}
    },
    "nile_library.json": {
        "library": [{"app_name": "amzn1.adg.product.1", "title": "Draskel 3",
                     "install": {"install_path": "/home/p/Games/Heroic/Draskel 3", "platform": "windows"},
                     "is_installed": True}]
    },
    "sideload_library.json": {
        "games": [{"runner": "sideload", "app_name": "x9Yz", "title": "Draskel 3",
                   "install": {"executable": "/home/p/Games/Draskel 3/Draskel3.exe", "platform": "windows"},
                   "folder_name": "/home/p/Games/Draskel 3", "is_installed": True}]
    },
    "games_config.json": {
        "1207658924": {"winePrefix": "~/Games/Heroic/Prefixes/default/Draskel 3",
                       "wineVersion": {"bin": "/usr/bin/wine", "name": "Wine Default", "type": "proton"}},
        "version": "v0", "explicit": True,
    },
    "config.json": {"defaultSettings": {"winePrefix": "/home/p/Games/Heroic/Prefixes/default",
                                        "wineVersion": {"type": "wine"}}},
}


def main() -> None:
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, value in SEEDS.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8") as out:
            json.dump(value, out, indent=2)
    with open(os.path.join(folder, "deep.json"), "w", encoding="utf-8") as out:
        out.write("[" * 2000)


if __name__ == "__main__":
    main()

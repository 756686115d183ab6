#!/usr/bin/env python3
"""Writes small Lutris databases (pga.db) as seeds for fuzz_lutris_db, made with Python's sqlite3
module: Lutris's table of games, an older one without some columns, one in WAL mode, and tables
the reader must refuse. Usage: seeds_lutris_db.py <folder>"""
import os
import sqlite3
import sys
import tempfile

GAMES = (
    "CREATE TABLE games (id INTEGER PRIMARY KEY, name TEXT, sortname TEXT, slug TEXT, "
    "installer_slug TEXT, parent_slug TEXT, platform TEXT, runner TEXT, executable TEXT, "
    "directory TEXT, updated DATETIME, lastplayed INTEGER, installed INTEGER, "
    "installed_at INTEGER, year INTEGER, configpath TEXT, has_custom_banner INTEGER, "
    "has_custom_icon INTEGER, has_custom_coverart_big INTEGER, playtime REAL, hidden INTEGER, "
    "service TEXT, service_id TEXT, discord_id TEXT)"
)
ROWS = [
    ("Draskel 3", "draskel-3", "wine", "drive_c/Games/Draskel 3/Draskel3.exe",
     "/home/p/Games/draskel-3", 1, "draskel-3-1700000000"),
    ("Other", "other", "linux", "/usr/games/other", "/usr/games", 0, "other-1"),
    ("Odd", "odd", "wine", None, 42, 1, "odd-1"),
]


def make(path: str, statements: list, wal: bool = False) -> None:
    connection = sqlite3.connect(path)
    if wal:
        connection.execute("PRAGMA journal_mode=WAL")
    for statement in statements:
        if isinstance(statement, tuple):
            connection.executemany(statement[0], statement[1])
        else:
            connection.execute(statement)
    connection.commit()
    if wal:
        connection.execute("PRAGMA wal_checkpoint(TRUNCATE)")
    connection.close()


def main() -> None:
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    insert = ("INSERT INTO games (name, slug, runner, executable, directory, installed, "
              "configpath) VALUES (?, ?, ?, ?, ?, ?, ?)", ROWS)
    seeds = {
        "pga.db": ([GAMES, insert], False),
        "pga_wal.db": ([GAMES, insert], True),
        "pga_old.db": (["CREATE TABLE games (id INTEGER PRIMARY KEY, name TEXT, slug TEXT, "
                        "runner TEXT, directory TEXT, installed INTEGER)",
                        ("INSERT INTO games (name, slug, runner, directory, installed) "
                         "VALUES (?, ?, ?, ?, ?)", [r[:3] + (r[4], r[5]) for r in ROWS])], False),
        "view.db": (["CREATE TABLE t (installed INTEGER, directory TEXT)",
                     "CREATE VIEW games AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
                     "SELECT x + 1 FROM c) SELECT x AS installed, '' AS directory FROM c"], False),
        "no_games.db": (["CREATE TABLE service_games (id INTEGER PRIMARY KEY, name TEXT)"], False),
    }
    with tempfile.TemporaryDirectory() as scratch:
        for name, (statements, wal) in seeds.items():
            path = os.path.join(scratch, name)
            make(path, statements, wal)
            with open(path, "rb") as source, open(os.path.join(folder, name), "wb") as out:
                out.write(source.read())


if __name__ == "__main__":
    main()

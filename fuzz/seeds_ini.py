#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_ini into the folder named by the only argument.

Each seed is one buffer-size byte, three length bytes, the section, key and value of those
lengths, then the INI file's bytes (see fuzz/fuzz_ini.cpp).
"""
import os
import sys


def seed(buffer_size, section, key, value, content):
    head = bytes([buffer_size, len(section), len(key), len(value)])
    return head + section + key + value + content


def utf16(text):
    return b"\xff\xfe" + text.encode("utf-16-le", "surrogatepass")


SEEDS = {
    "existing_key": seed(
        255, b"Engine.Setup", b"Render.DOFStart", b"6000.0",
        b"; engine\r\n[Engine.Setup]\r\nRender.DOFStart = -300.0\r\na=1\r\n\r\n[Camera]\r\n"),
    "new_key_lf": seed(16, b"A", b"k", b" 'v' ", b"[A]\na=1\n; last\n\n[B]\nb=2\n"),
    "new_section_cr": seed(3, b"B", b"k", b"\"x\"", b"[A]\ra=1"),
    "header_like": seed(8, b"A", b"[a", b"]", b"[A]\r\n[a\r\n"),
    "duplicates": seed(40, b"a", b"K", b"9", b"top=1\n[A]\nk\nk=1\n[a]\nk=2\n"),
    "utf8_mark": seed(
        64, b"Options.Video", b"Caf\xe9", b"\xe4\x80",
        "\ufeff[Options.Video]\r\nResolution.Width=1024\r\nCaf\u00e9=\u20ac\r\n".encode("utf-8")),
    "utf8_broken": seed(
        10, b"A", b"x", b"2", b"\xef\xbb\xbf; \xe4\xf6\r\n[A]\r\nx=\xe0\x80\xaf\xc3\r\n"),
    "utf16_mark": seed(
        30, b"Options.Details", b"Preset", b"high",
        utf16("[Options.Details]\r\nPreset=low\r\n\u03a9=\u20ac\r\n")),
    "utf16_odd": seed(5, b"C", b"c", b"3", utf16("[A]\r\nk=\ud800\r\n") + b"A"),
    "binary": seed(0, b"", b"", b"", bytes(range(256))),
    # A one-line change whose common start ends inside a code unit (U+0A0A then a line end).
    "utf16_unit_split": b"\x05\x00\x00\x00\xff\xfe=\x00\x0a\x0a\x0a\x00",
}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: seeds_ini.py OUTPUT_FOLDER")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()

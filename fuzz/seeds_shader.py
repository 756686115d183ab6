#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_shader into the folder named by the only argument.

Each seed is one strength byte (taken modulo 201) followed by a shader text (see
fuzz/fuzz_shader.cpp).
"""
import os
import sys

STATEMENT = b"cOut.rgb += tex2D( BloomImage, input.TexCoord0 ) * ( 1.0f -cOut.rgb )"
HEAD = b"sampler2D BloomImage;\r\nfloat4 main( VS_OUTPUT input ) : COLOR0\r\n{\r\n"
BODY = b"\tfloat4 cOut = tex2D( SceneImage, input.TexCoord0 );\r\n"
TAIL = b"\r\n\r\n\treturn cOut;\r\n}\r\n"


def shader(ending, head=HEAD, tail=TAIL):
    return head + BODY + b"\t" + STATEMENT + ending + tail


SEEDS = {
    "unedited": bytes([100]) + shader(b";"),
    "edited": bytes([60]) + shader(b" * 0.75;"),
    "hand_made": bytes([29]) + shader(b" *  0.5 * 1e3 ;"),
    "no_declaration": bytes([50]) + shader(b";", head=b"float4 main() : COLOR0\r\n{\r\n"),
    "declaration_behind": bytes([150]) + shader(b";", head=b"{\r\n", tail=TAIL + b"sampler2D BloomImage;\n"),
    "no_statement": bytes([0]) + HEAD + BODY + b"\treturn cOut;\r\n}\r\n",
    "no_marker": bytes([200]) + b"{\n\tfloat4 cOut = 0;\n\treturn cOut;\n}\n",
    "no_semicolon": bytes([113]) + shader(b"", tail=b"\r\n\treturn cOut;\r\n}\r\n"),
    "zero_bytes": bytes([58]) + b"\x00\xff" + shader(b" * 2x;") + b"\x00tail",
}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: seeds_shader.py OUTPUT_FOLDER")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()

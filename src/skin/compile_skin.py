#!/usr/bin/env python3
"""Compiles a skin description (text) into the skin library's binary skin file.

The slot names and numbers are read from the library's format header, so the
two never drift apart. A description holds one statement per line; '#' starts
a line whose first non-blank character is ';' is a comment:

    color  SLOT #RRGGBB
    font   SLOT HEIGHT WEIGHT [italic] "Face name"   (repeat for fallbacks)
    metric SLOT VALUE
    bitmap SLOT WIDTH HEIGHT #RRGGBB ...              (WIDTH * HEIGHT pixels,
                                                       rows may go on over
                                                       lines ending in '\\')

    compile_skin.py --header SkinFormat.h [--password TEXT] INPUT OUTPUT
"""
import argparse
import re
import shlex
import struct
import sys

TAGS = {"color": 1, "font": 2, "metric": 3, "bitmap": 4}
ENUM_PREFIX = {"color": "SKIN_COLOR_", "font": "SKIN_FONT_", "metric": "SKIN_METRIC_",
               "bitmap": "SKIN_BITMAP_"}


def fnv1a(data):
    value = 2166136261
    for byte in data:
        value = ((value ^ byte) * 16777619) & 0xFFFFFFFF
    return value


def encrypt(payload, password):
    key = fnv1a(password) or 0x9E3779B9
    out = bytearray()
    for byte in payload:
        key ^= (key << 13) & 0xFFFFFFFF
        key ^= key >> 17
        key ^= (key << 5) & 0xFFFFFFFF
        out.append(byte ^ (key & 0xFF))
    return bytes(out)


def read_slots(header_path):
    """Slot tables from lines such as `SKIN_COLOR_WINDOW_TOP = 0, /* window.top: ... */`."""
    slots = {kind: {} for kind in TAGS}
    pattern = re.compile(r"(SKIN_(?:COLOR|FONT|METRIC|BITMAP)_\w+)\s*=\s*(\d+)\s*,?\s*/\*\s*([a-z.]+)\s*:")
    with open(header_path, encoding="utf-8") as header:
        for line in header:
            match = pattern.search(line)
            if not match:
                continue
            for kind, prefix in ENUM_PREFIX.items():
                if match.group(1).startswith(prefix):
                    slots[kind][match.group(3)] = int(match.group(2))
    missing = [kind for kind, table in slots.items() if not table]
    if missing:
        raise ValueError(f"{header_path}: no {', '.join(missing)} slots found in the header")
    return slots


def parse_color(text, where):
    if not re.fullmatch(r"#[0-9A-Fa-f]{6}", text):
        raise ValueError(f"{where}: colour must be #RRGGBB, not {text!r}")
    return bytes.fromhex(text[1:])


def logical_lines(source):
    pending, start = "", 0
    for number, line in enumerate(source.splitlines(), 1):
        if line.lstrip().startswith(";"):
            continue
        if not pending:
            start = number
        if line.rstrip().endswith("\\"):
            pending += line.rstrip()[:-1] + " "
            continue
        pending += line
        if pending.strip():
            yield start, pending.strip()
        pending = ""


def compile_description(source, slots, name):
    payload = bytearray()
    for number, line in logical_lines(source):
        where = f"{name}:{number}"
        words = shlex.split(line)
        kind = words[0]
        if kind not in TAGS or len(words) < 3:
            raise ValueError(f"{where}: cannot read {line!r}")
        if words[1] not in slots[kind]:
            raise ValueError(f"{where}: no {kind} slot named {words[1]!r}")
        slot = slots[kind][words[1]]
        if kind == "color":
            data = parse_color(words[2], where)
        elif kind == "font":
            italic = "italic" in words[4:-1]
            face = words[-1].encode("utf-8")
            data = struct.pack("<hHBB", int(words[2]), int(words[3]), 1 if italic else 0, 0) + face
        elif kind == "metric":
            data = struct.pack("<h", int(words[2]))
        else:
            width, height = int(words[2]), int(words[3])
            pixels = words[4:]
            if len(pixels) != width * height:
                raise ValueError(f"{where}: {width}x{height} bitmap needs {width * height} pixels")
            data = struct.pack("<HH", width, height) + b"".join(parse_color(p, where) for p in pixels)
        payload += struct.pack("<BBH", TAGS[kind], slot, len(data)) + data
    return bytes(payload)


def build_file(payload, password):
    flags = 1 if password else 0
    body = encrypt(payload, password) if password else payload
    return b"LZSK" + struct.pack("<HHII", 1, flags, len(payload), fnv1a(payload)) + body


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--header", required=True)
    parser.add_argument("--password", default="")
    parser.add_argument("input")
    parser.add_argument("output")
    args = parser.parse_args()
    with open(args.input, encoding="utf-8") as source:
        try:
            slots = read_slots(args.header)
            payload = compile_description(source.read(), slots, args.input)
        except ValueError as error:
            print(f"compile_skin: {error}", file=sys.stderr)
            return 1
    with open(args.output, "wb") as output:
        output.write(build_file(payload, args.password.encode("utf-8")))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Checks that the built skin library stays within what the program's
in-memory loader handles: a PE32 DLL with base relocations, no TLS directory,
no delay-loaded or bound imports, imports by name from system DLLs only, and
SkinH_AttachRes exported by name.

    check_skin_image.py DLL            exit status 0 when the image passes
    check_skin_image.py --self-test DLL
        also shows that each rule fails for a copy of DLL broken on purpose
"""
import struct
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "advapi32.dll",
               "msimg32.dll", "uxtheme.dll"}
REQUIRED_EXPORT = "SkinH_AttachRes"


class Image:
    """A bounded reader over the file's bytes, addressed by RVA through the sections."""

    def __init__(self, data):
        self.data = data
        if self.u16(0) != 0x5A4D:
            raise ValueError("no MZ header")
        self.nt = self.u32(60)
        if self.u32(self.nt) != 0x4550:
            raise ValueError("no PE signature")
        self.machine = self.u16(self.nt + 4)
        self.sections_count = self.u16(self.nt + 6)
        self.characteristics = self.u16(self.nt + 22)
        optional = self.nt + 24
        self.magic = self.u16(optional)
        self.directories = [(self.u32(optional + 96 + 8 * i), self.u32(optional + 100 + 8 * i))
                            for i in range(16)]
        table = optional + self.u16(self.nt + 20)
        self.sections = []
        for i in range(self.sections_count):
            at = table + 40 * i
            self.need(at, 40)
            name = self.data[at:at + 8].rstrip(b"\0").decode("latin-1")
            virtual_size, rva, raw_size, raw_pointer = struct.unpack_from("<IIII", self.data, at + 8)
            self.sections.append((name, rva, max(virtual_size, raw_size), raw_pointer, raw_size))

    def need(self, offset, size):
        if offset < 0 or size > len(self.data) or offset > len(self.data) - size:
            raise ValueError(f"read of {size} bytes at {offset:#x} is outside the file")

    def u16(self, offset):
        self.need(offset, 2)
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        self.need(offset, 4)
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset_of(self, rva):
        for _, start, size, raw_pointer, raw_size in self.sections:
            if start <= rva < start + size:
                if rva - start >= raw_size:
                    raise ValueError(f"RVA {rva:#x} lies in a section's uninitialised part")
                return raw_pointer + rva - start
        raise ValueError(f"RVA {rva:#x} is in no section")

    def text_at(self, rva, limit=256):
        at = self.offset_of(rva)
        end = self.data.find(b"\0", at, at + limit)
        if end < 0:
            raise ValueError(f"unterminated name at RVA {rva:#x}")
        return self.data[at:end].decode("latin-1")


def problems(data):
    """Every rule the image breaks, as readable sentences."""
    try:
        image = Image(data)
        found = []
        if image.machine != 0x14C or image.magic != 0x10B:
            found.append("not a 32-bit x86 PE32 image")
        if not image.characteristics & 0x2000 or not image.characteristics & 0x0002:
            found.append("not marked as an executable DLL")
        tls_rva, tls_size = image.directories[9]
        if tls_rva or tls_size or any(s[0] == ".tls" for s in image.sections):
            found.append("has a TLS directory")
        if image.directories[13] != (0, 0):
            found.append("has delay-loaded imports")
        if image.directories[11] != (0, 0):
            found.append("has bound imports")
        found += relocation_problems(image)
        found += import_problems(image)
        found += export_problems(image)
        return found
    except ValueError as error:
        return [f"unreadable image: {error}"]


def relocation_problems(image):
    rva, size = image.directories[5]
    if rva == 0 or size == 0:
        return ["has no base relocations"]
    highlow, position = 0, 0
    while position + 8 <= size:
        page, block = image.u32(image.offset_of(rva + position)), image.u32(image.offset_of(rva + position + 4))
        if page == 0:
            break
        if block < 8 or position + block > size:
            return ["has a malformed base relocation block"]
        for i in range((block - 8) // 2):
            entry = image.u16(image.offset_of(rva + position + 8 + 2 * i))
            kind = entry >> 12
            if kind == 3:
                highlow += 1
            elif kind != 0:
                return [f"has base relocations of type {kind}, which the loader skips"]
        position += block
    return [] if highlow else ["has no 32-bit base relocation entries"]


def import_problems(image):
    rva, _ = image.directories[1]
    if rva == 0:
        return []
    found = []
    for index in range(256):
        at = image.offset_of(rva + 20 * index)
        image.need(at, 20)
        _, stamp, _, name_rva, first_thunk = struct.unpack_from("<IIIII", image.data, at)
        if first_thunk == 0:
            return found
        name = image.text_at(name_rva)
        if name.lower() not in SYSTEM_DLLS:
            found.append(f"imports from {name}, which is not a system DLL")
        if stamp != 0:
            found.append(f"has pre-bound imports from {name}")
        for slot in range(4096):
            value = image.u32(image.offset_of(first_thunk + 4 * slot))
            if value == 0:
                break
            if value & 0x80000000:
                found.append(f"imports ordinal {value & 0xFFFF} from {name}")
            else:
                image.text_at(value + 2)
    return found + ["import table does not end"]


def export_problems(image):
    rva, size = image.directories[0]
    if rva == 0 or size == 0:
        return ["exports nothing"]
    at = image.offset_of(rva)
    count_names = image.u32(at + 24)
    names_rva = image.u32(at + 32)
    names = [image.text_at(image.u32(image.offset_of(names_rva + 4 * i))) for i in range(count_names)]
    return [] if REQUIRED_EXPORT in names else [f"does not export {REQUIRED_EXPORT} by name"]


def broken_copies(data):
    """Copies of a good image with one rule broken each, and the sentence expected."""
    image = Image(data)
    optional = image.nt + 24

    def with_directory(index, rva, size):
        copy = bytearray(data)
        struct.pack_into("<II", copy, optional + 96 + 8 * index, rva, size)
        return bytes(copy)

    def with_import_name(old, new):
        position = data.lower().find(old.encode())
        assert position > 0 and len(old) == len(new)
        return data[:position] + new.encode() + data[position + len(new):]

    def with_ordinal_import():
        copy = bytearray(data)
        rva, _ = image.directories[1]
        first_thunk = image.u32(image.offset_of(rva + 16))
        struct.pack_into("<I", copy, image.offset_of(first_thunk), 0x80000010)
        return bytes(copy)

    def with_export_renamed():
        position = data.find(REQUIRED_EXPORT.encode() + b"\0")
        return data[:position] + b"skinh" + data[position + 5:]

    yield "TLS directory", with_directory(9, 0x1000, 24), "has a TLS directory"
    yield "relocations stripped", with_directory(5, 0, 0), "has no base relocations"
    yield "C runtime import", with_import_name("user32.dll", "msvcrt.dll"), "imports from msvcrt.dll"
    yield "import by ordinal", with_ordinal_import(), "imports ordinal 16"
    yield "export renamed", with_export_renamed(), f"does not export {REQUIRED_EXPORT}"
    yield "delay imports", with_directory(13, 0x1000, 32), "has delay-loaded imports"
    yield "truncated", data[:600], "unreadable image"


def main(argv):
    self_test = argv[1:2] == ["--self-test"]
    path = argv[-1]
    with open(path, "rb") as dll:
        data = dll.read()
    found = problems(data)
    for problem in found:
        print(f"{path}: {problem}")
    if found:
        return 1
    print(f"{path}: within what the in-memory loader handles ({len(data)} bytes)")
    if not self_test:
        return 0
    failures = 0
    for case, broken, expected in broken_copies(data):
        seen = problems(broken)
        if not any(p.startswith(expected) for p in seen):
            print(f"self-test {case}: expected '{expected}', saw {seen}")
            failures += 1
        else:
            print(f"self-test {case}: rejected ({expected})")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

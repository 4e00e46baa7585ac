#!/usr/bin/env python3
"""Appends message catalogs to a program file as the table its translation layer reads.

The program holds the 36 marker characters followed by 8 bytes; they receive the file offset of
the table's first entry. The appended data is: the catalogs one after another, then one entry per
catalog (next, offset and size as unsigned 64-bit little-endian values, then the name padded with
spaces up to the next entry), then 8 zero bytes that end the chain. Run again on a program that
already carries a table, the tool replaces that table.
"""
import argparse
import os
import shutil
import struct
import sys

MARKER = b"6637DB2E-62E1-4A60-AC19-C23867046A89"
ENTRY_SPACING = 256
FIXED_FIELDS = 24


class ToolError(Exception):
    pass


def catalog_name(language, domain="default"):
    return "locale\\%s\\LC_MESSAGES\\%s.mo" % (language, domain)


def find_marker(data):
    first = data.find(MARKER)
    if first < 0:
        raise ToolError("the program file holds no catalog table marker")
    if data.find(MARKER, first + 1) >= 0:
        raise ToolError("the program file holds the catalog table marker more than once")
    return first + len(MARKER)


def read_table(data, position):
    """The entries (name, offset, size) of the table whose first entry is at `position`."""
    entries = []
    while True:
        if position + 8 > len(data):
            raise ToolError("the table runs past the end of the file")
        (next_entry,) = struct.unpack_from("<Q", data, position)
        if next_entry == 0:
            return entries
        if next_entry < position + FIXED_FIELDS or next_entry > len(data):
            raise ToolError("the table is damaged")
        offset, size = struct.unpack_from("<QQ", data, position + 8)
        name = data[position + FIXED_FIELDS:next_entry].decode("utf-8").strip(
            "".join(chr(c) for c in range(33)))
        entries.append((name, offset, size))
        position = next_entry


def build_table(program, catalogs, start):
    """Appends `catalogs` (name, bytes) to `program`, whose end is at `start`; returns the data
    and the offset of the first entry."""
    out = bytearray(program[:start])
    placed = []
    for name, blob in catalogs:
        placed.append((name, len(out), len(blob)))
        out += blob
    first_entry = len(out)
    for name, offset, size in placed:
        encoded = name.encode("utf-8")
        width = max(ENTRY_SPACING - FIXED_FIELDS, len(encoded))
        next_entry = len(out) + FIXED_FIELDS + width
        out += struct.pack("<QQQ", next_entry, offset, size) + encoded.ljust(width, b" ")
    out += bytes(8)
    return out, first_entry


def append_catalogs(program_path, catalogs):
    with open(program_path, "rb") as f:
        data = f.read()
    field = find_marker(data)
    (current,) = struct.unpack_from("<Q", data, field)
    end = len(data)
    if current != 0:
        # The program's own bytes end where the first appended catalog starts.
        entries = read_table(data, current)
        end = min([offset for _, offset, _ in entries] + [current])
    if field + 8 > end:
        raise ToolError("the marker lies inside the appended data")
    names = [name.upper() for name, _ in catalogs]
    if len(set(names)) != len(names):
        raise ToolError("a catalog name is given twice")
    out, first_entry = build_table(data, catalogs, end)
    struct.pack_into("<Q", out, field, first_entry)
    temporary = program_path + ".catalogs"
    with open(temporary, "wb") as f:
        f.write(out)
    shutil.copymode(program_path, temporary)
    os.replace(temporary, program_path)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="program file to extend")
    parser.add_argument("--catalog", action="append", default=[], metavar="LANGUAGE=FILE",
                        help="a compiled catalog of the domain 'default' for a language")
    parser.add_argument("--list", action="store_true", help="print the table and change nothing")
    args = parser.parse_args(argv)
    try:
        if args.list:
            with open(args.program, "rb") as f:
                data = f.read()
            (start,) = struct.unpack_from("<Q", data, find_marker(data))
            for name, offset, size in read_table(data, start) if start else []:
                print("%s\t%d\t%d" % (name, offset, size))
            return 0
        catalogs = []
        for given in args.catalog:
            language, sep, path = given.partition("=")
            if not sep or not language or not path:
                raise ToolError("a catalog is given as LANGUAGE=FILE, not " + given)
            with open(path, "rb") as f:
                catalogs.append((catalog_name(language), f.read()))
        append_catalogs(args.program, catalogs)
        return 0
    except (ToolError, OSError) as e:
        print("append_catalogs: %s: %s" % (args.program, e), file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
"""Sets the mode of every member of an ar archive (a .deb) to 0644, in place.

Usage: ar-modes.py ARCHIVE
"""
import sys

MAGIC = b"!<arch>\n"
HEADER = 60  # name 16, time 12, owner 6, group 6, mode 8, size 10, end 2


def main(path):
    with open(path, "r+b") as archive:
        if archive.read(len(MAGIC)) != MAGIC:
            sys.exit(f"{path}: not an ar archive")
        at = len(MAGIC)
        while True:
            archive.seek(at)
            header = archive.read(HEADER)
            if not header:
                return
            if len(header) != HEADER or header[58:60] != b"`\n":
                sys.exit(f"{path}: a broken member header at {at}")
            archive.seek(at + 40)
            archive.write(b"100644  ")
            size = int(header[48:58])
            at += HEADER + size + size % 2


if __name__ == "__main__":
    main(sys.argv[1])

#!/usr/bin/env python3
"""Writes the placeholder firmware image carried by the program.

We do not have the clock's firmware. This image has the exact layout of the
real one (blocks, their order, addresses, record sizes, end record, correct
checksums) with every data byte 0xFF, so the upload can be exercised end to
end. Usage: make_placeholder_image.py [output] (default: ks20-placeholder.hex
beside this script).
"""
import os
import sys

# (first address, last address inclusive) in the order the image holds them.
BLOCKS = [
    (0x4000, 0xE586),
    (0xFFE0, 0xFFFF),
    (0xF000, 0xFD5D),
    (0xEF00, 0xEFFF),
]
FILL = 0xFF


def record(address, data, rtype=0):
    body = bytes([len(data), address >> 8, address & 0xFF, rtype]) + bytes(data)
    checksum = (-sum(body)) & 0xFF
    return ":" + (body + bytes([checksum])).hex().upper()


def lines():
    out = []
    for first, last in BLOCKS:
        address = first
        while address <= last:
            count = min(16, last - address + 1)
            out.append(record(address, [FILL] * count))
            address += count
    out.append(record(0, [], rtype=1))
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "ks20-placeholder.hex")
    with open(target, "w", newline="\n") as f:
        for line in lines():
            f.write(line + "\n")


if __name__ == "__main__":
    main()

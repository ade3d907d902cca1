#!/usr/bin/env python3
"""Writes damaged copies of a database file, the same ones for the same seed:
    damage.py SOURCE OUT_DIR COUNT SEED
Kinds: flipped bytes, overwritten 16- and 32-bit values (lengths, counts,
pointers) in table-definition and catalogue pages, truncation, zeroed,
swapped and duplicated pages, bytes appended, and a sparse file grown far
past its end."""
import os
import random
import sys


def page_size(data):
    return 2048 if data[0x14] == 0 else 4096


def pages_of_type(data, size, kind):
    return [p for p in range(1, len(data) // size) if data[p * size] == kind]


def damage(data, rng, kind):
    size = page_size(data)
    count = len(data) // size
    out = bytearray(data)
    if kind == "flip":
        for _ in range(rng.randint(1, 8)):
            at = rng.randrange(len(out))
            out[at] ^= 1 << rng.randrange(8)
    elif kind in ("word", "long"):
        design = pages_of_type(data, size, 0x02) + pages_of_type(data, size, 0x01)[:4]
        page = rng.choice(design) if design else rng.randrange(count)
        at = page * size + rng.randrange(size - 4)
        width = 2 if kind == "word" else 4
        value = rng.choice([0, 0xFF, 0x7FFF, 0xFFFF, 0xFFFFFFFF, rng.getrandbits(8 * width)])
        out[at:at + width] = (value & ((1 << (8 * width)) - 1)).to_bytes(width, "little")
    elif kind == "truncate":
        out = out[:rng.randrange(2048, len(out))]
    elif kind == "zero":
        page = rng.randrange(1, count)
        out[page * size:(page + 1) * size] = bytes(size)
    elif kind == "swap":
        a, b = rng.randrange(1, count), rng.randrange(1, count)
        pa, pb = bytes(out[a * size:(a + 1) * size]), bytes(out[b * size:(b + 1) * size])
        out[a * size:(a + 1) * size], out[b * size:(b + 1) * size] = pb, pa
    elif kind == "duplicate":
        a, b = rng.randrange(1, count), rng.randrange(1, count)
        out[b * size:(b + 1) * size] = out[a * size:(a + 1) * size]
    elif kind == "append":
        out += bytes(rng.getrandbits(8) for _ in range(rng.randrange(1, 3 * size)))
    return out


def main():
    source, out_dir, count, seed = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    data = open(source, "rb").read()
    rng = random.Random(f"{seed}:{os.path.basename(source)}")
    os.makedirs(out_dir, exist_ok=True)
    kinds = ["flip", "word", "long", "truncate", "zero", "swap", "duplicate", "append", "sparse"]
    for n in range(count):
        kind = kinds[n % len(kinds)]
        path = os.path.join(out_dir, f"{n:04d}-{kind}")
        if kind == "sparse":
            with open(path, "wb") as f:
                f.write(data)
                f.truncate(len(data) + rng.choice([1 << 20, 1 << 30, 5 << 30]))
            continue
        with open(path, "wb") as f:
            f.write(damage(data, rng, kind))


if __name__ == "__main__":
    main()

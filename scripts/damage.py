#!/usr/bin/env python3
"""Writes damaged copies of a database file, the same ones for the same seed:
    damage.py SOURCE OUT_DIR COUNT SEED
Kinds: flipped bytes, overwritten 16- and 32-bit values (lengths, counts,
pointers) in table-definition and catalogue pages, truncation, zeroed,
swapped and duplicated pages, bytes appended, a sparse file grown far past
its end, one bit of a catalogue row's id, parent or type, a column given
another type or number, and a page map naming one more page (often
another table's)."""
import os
import random
import sys


def page_size(data):
    return 2048 if data[0x14] == 0 else 4096


def pages_of_type(data, size, kind):
    return [p for p in range(1, len(data) // size) if data[p * size] == kind]


def u16(data, at):
    return int.from_bytes(data[at:at + 2], "little")


def u32(data, at):
    return int.from_bytes(data[at:at + 4], "little")


def row_span(data, size, page, row):
    """Where row `row` of data page `page` lies in the file, or None."""
    base = page * size
    count_at = base + (0x08 if size == 2048 else 0x0C)
    if page * size + size > len(data) or data[base] != 0x01 or row >= u16(data, count_at):
        return None
    start = u16(data, count_at + 2 + 2 * row) & 0x1FFF
    end = size if row == 0 else u16(data, count_at + 2 * row) & 0x1FFF
    return (base + start, base + end) if start < end <= size else None


def column_descriptors(data, size, page):
    """File offsets of the column descriptors on a table-definition page."""
    jet3, base = size == 2048, page * size
    columns = u16(data, base + (0x19 if jet3 else 0x2D))
    real = u32(data, base + (0x1F if jet3 else 0x33))
    first = base + (0x2B if jet3 else 0x3F) + real * (8 if jet3 else 12)
    each = 18 if jet3 else 25
    return [first + i * each for i in range(columns) if first + (i + 1) * each <= base + size]


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
    elif kind == "catalogue-row":  # a bit of a catalogue row's id, parent or type
        rows = [span for p in pages_of_type(data, size, 0x01) if u32(data, p * size + 4) == 2
                for r in range(u16(data, p * size + (0x08 if size == 2048 else 0x0C)))
                if (span := row_span(data, size, p, r)) and span[1] - span[0] > 12]
        if rows:
            start = rng.choice(rows)[0] + (1 if size == 2048 else 2)
            out[start + rng.randrange(10)] ^= 1 << rng.randrange(8)
    elif kind == "column":  # a column's type or number
        columns = [c for p in pages_of_type(data, size, 0x02) for c in column_descriptors(data, size, p)]
        if columns:
            at = rng.choice(columns)
            if rng.randrange(2):
                out[at] = rng.choice([0x01, 0x04, 0x07, 0x0A, 0x0C, 0x12, 0x42])
            else:
                out[at + (1 if size == 2048 else 5)] ^= 1 << rng.randrange(8)
    elif kind == "map":  # one more page named by a table's inline page map
        maps = [span for p in pages_of_type(data, size, 0x02)
                if (pointer := u32(data, p * size + (0x23 if size == 2048 else 0x37)))
                and (span := row_span(data, size, pointer >> 8, pointer & 0xFF))
                and data[span[0]] == 0x00 and span[1] - span[0] > 5]
        if maps:
            start, end = rng.choice(maps)
            bit = rng.randrange(min(8 * (end - start - 5), max(1, count - u32(data, start + 1))))
            out[start + 5 + bit // 8] |= 1 << (bit % 8)
    elif kind == "append":
        out += bytes(rng.getrandbits(8) for _ in range(rng.randrange(1, 3 * size)))
    return out


def main():
    source, out_dir, count, seed = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    data = open(source, "rb").read()
    rng = random.Random(f"{seed}:{os.path.basename(source)}")
    os.makedirs(out_dir, exist_ok=True)
    kinds = ["flip", "word", "long", "truncate", "zero", "swap", "duplicate", "append", "sparse",
             "catalogue-row", "column", "map"]
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

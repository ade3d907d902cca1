#!/usr/bin/env python3
"""Writes a Jet 4 (.mdb) database of a chosen size, for benchmarks.

usage: bench/make-jet4.py --tables N [--data-mb M] [--wide K] [--no-properties] -o FILE

The database holds N user tables of 30 to 34 columns of mixed types (and
with --wide K columns more each, whose definitions then take several
pages), 4 to 6
indexes each (a primary key, unique and non-unique ones, some on two columns,
one descending), relationships between the tables (one or two columns, some
enforced with cascades, some not), the property lists Access keeps for each
table and column, and with --data-mb about M megabytes of rows spread over
the tables. The same arguments always give the same bytes.

Only what a reader of the design needs is real: the header page, the
catalogue (MSysObjects) with its rows, a table definition per table, usage
maps, the long values of the property lists, MSysRelationships with its
rows, and the data pages. Every index has its own root page, an empty leaf:
the readers of a design never walk an index.

Python 3 standard library only.
"""

import argparse
import struct
import sys
import time

PAGE = 4096
LCID_GENERAL = 0x0409
CODE_PAGE = 1252
CREATED = 45292.5  # 2024-01-01 12:00 as an OLE date: fixed, so files repeat

# Stored column types (the Jet type byte).
BOOL, BYTE, INT, LONG, MONEY, SINGLE, DOUBLE, DATE, BINARY, TEXT, OLE, MEMO, GUID = (
    0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0F)
FIXED_SIZE = {BOOL: 1, BYTE: 1, INT: 2, LONG: 4, MONEY: 8, SINGLE: 4, DOUBLE: 8, DATE: 8, GUID: 16}
LONG_VALUE_TYPES = (OLE, MEMO)

# Page kinds.
DATA_PAGE, TDEF_PAGE, LEAF_PAGE, MAP_PAGE = 0x01, 0x02, 0x04, 0x05
DATA_HEADER = 14          # page kind .. row count; the row offsets follow
ROW_LIMIT = 255           # a row pointer keeps the row number in one byte
MAP_BITS_PER_PAGE = (PAGE - 4) * 8

# Marks Access writes at the start of column, real-index and logical-index
# records of every table definition.
COLUMN_MARK = 0x0659
REAL_INDEX_MARK = 0x0783

# Catalogue ids: containers and other objects that are no table carry the
# high bit; a table's id is its definition page.
ID_ROOT = 0x0F000000
ID_TABLES, ID_DATABASES, ID_RELATIONSHIPS = 0x0F000001, 0x0F000002, 0x0F000003
ID_MSYSDB = 0x10000000
OBJECT_ID_BASE = -0x80000000
TYPE_TABLE, TYPE_DATABASE, TYPE_CONTAINER, TYPE_RELATIONSHIP = 1, 2, 3, 8
FLAGS_ENGINE = -0x80000000

# MSysRelationships.grbit values: plain, cascade update, cascade delete,
# both, and not enforced.
GRBIT_CYCLE = (0, 0x100, 0x1000, 0x1100, 0x2)
DONT_ENFORCE = 0x2


def fail(message):
    sys.exit(f"make-jet4.py: {message}")


# ---------------------------------------------------------------- the design

class Column:
    def __init__(self, name, type_, length=0, flags=None, extra=0, props=None):
        self.name = name
        self.type = type_
        if type_ in FIXED_SIZE:
            self.length = FIXED_SIZE[type_]
        elif type_ == TEXT:
            self.length = length * 2  # UCS-2: two bytes a character
        elif type_ == BINARY:
            self.length = length
        else:
            self.length = 0
        self.fixed = type_ in FIXED_SIZE
        self.flags = flags if flags is not None else (0x03 if self.fixed else 0x02)
        self.extra = extra
        self.props = props or []   # (name, type, ddl, value) of the column
        self.number = 0            # set by lay_out
        self.var_index = 0
        self.fixed_offset = 0
        self.ordinal = 0


class Index:
    """A logical index; `real` is the number of its real (data) index."""

    def __init__(self, name, columns=(), flags=0x80, kind=0):
        self.name = name
        self.columns = list(columns)  # (column name, descending)
        self.flags = flags
        self.kind = kind               # 0 normal, 1 primary key, 2 foreign key
        self.number = 0
        self.real = 0
        self.rel_type = 0
        self.rel_index = -1
        self.rel_page = 0
        self.cascade_update = 4
        self.cascade_delete = 4


class Table:
    def __init__(self, name, columns, system=False, flags=0):
        self.name = name
        self.columns = columns
        self.system = system
        self.flags = flags            # MSysObjects.Flags
        self.indexes = []             # logical, in creation order
        self.reals = []               # real indexes: (columns, flags)
        self.table_props = []
        self.rows = []                # encoded rows for small tables
        self.row_count = 0
        self.tdef_pages = []
        self.leaf_pages = []
        self.data_pages = []
        self.lv_pages = []            # long-value pages of this table's columns
        self.usage_map = self.free_map = None
        self.index_maps = []
        self.column_maps = {}         # column number -> (used, free) map rows
        self.lay_out()

    @property
    def page(self):
        return self.tdef_pages[0]

    def lay_out(self):
        """Column numbers, variable-column slots and fixed offsets."""
        fixed_at = var_at = 0
        for number, column in enumerate(self.columns):
            column.number = number
            column.ordinal = 0 if self.system else number
            if column.fixed:
                column.fixed_offset = fixed_at
                fixed_at += column.length if column.type != BOOL else 0
            else:
                column.var_index = var_at
                var_at += 1
        self.fixed_size = fixed_at
        self.var_count = var_at
        self.by_name = {c.name: c for c in self.columns}

    def add_index(self, index, share=None):
        """Adds a logical index with its own real index, or on the real index
        of the logical index `share`."""
        if share is None:
            index.real = len(self.reals)
            self.reals.append(([(self.by_name[n].number, d) for n, d in index.columns], index.flags))
        else:
            index.real = share.real
        self.indexes.append(index)
        return index

    def number_indexes(self):
        """Logical numbers: indexes that own their real index first, numbered
        as their real index; foreign-key ones after them."""
        plain = [i for i in self.indexes if i.kind != 2]
        for i in plain:
            i.number = i.real
        next_number = len(plain)
        for i in self.indexes:
            if i.kind == 2:
                i.number = next_number
                next_number += 1


def jet_name_key(name):
    # Jet's General order puts punctuation first and ignores case; plain
    # lower-case code-point order is close enough for the names made here.
    return name.lower()


def system_tables():
    """The engine's own tables, with the columns every Jet 4 file has."""
    def col(name, type_, length=0):
        flags = 0x13 if type_ in FIXED_SIZE else 0x12
        if name in ("Owner", "SID"):
            flags = 0x32
        return Column(name, type_, length, flags=flags)

    objects = Table("MSysObjects", [
        col("Id", LONG), col("ParentId", LONG), col("Name", TEXT, 255), col("Type", INT),
        col("DateCreate", DATE), col("DateUpdate", DATE), col("Owner", BINARY, 510),
        col("Flags", LONG), col("Database", MEMO), col("Connect", MEMO),
        col("ForeignName", TEXT, 255), col("RmtInfoShort", BINARY, 510),
        col("RmtInfoLong", OLE), col("Lv", OLE), col("LvProp", OLE), col("LvModule", OLE),
        col("LvExtra", OLE)], system=True, flags=FLAGS_ENGINE)
    objects.add_index(Index("ParentIdName", [("ParentId", False), ("Name", False)], 0x81))
    objects.add_index(Index("Id", [("Id", False)], 0x81, kind=1))

    aces = Table("MSysACEs", [col("ObjectId", LONG), col("SID", BINARY, 510), col("ACM", LONG),
                              col("FInheritable", BOOL)], system=True, flags=FLAGS_ENGINE)
    aces.add_index(Index("ObjectId", [("ObjectId", False), ("SID", False)], 0x80))

    queries = Table("MSysQueries", [
        col("ObjectId", LONG), col("Attribute", BYTE), col("Order", BINARY, 510),
        col("Name1", TEXT, 255), col("Name2", TEXT, 255), col("Expression", MEMO),
        col("Flag", INT), col("LvExtra", LONG)], system=True, flags=FLAGS_ENGINE)
    queries.add_index(Index("ObjectIdAttribute",
                            [("ObjectId", False), ("Attribute", False), ("Order", False)], 0x80))

    relationships = Table("MSysRelationships", [
        col("szRelationship", TEXT, 255), col("grbit", LONG), col("ccolumn", LONG),
        col("icolumn", LONG), col("szObject", TEXT, 255), col("szColumn", TEXT, 255),
        col("szReferencedObject", TEXT, 255), col("szReferencedColumn", TEXT, 255)],
        system=True, flags=FLAGS_ENGINE)
    for name in ("szRelationship", "szObject", "szReferencedObject"):
        relationships.add_index(Index(name, [(name, False)], 0x82))
    return objects, aces, queries, relationships


WORDS = ("Customer", "Order", "Invoice", "Product", "Supplier", "Shipment", "Employee",
         "Payment", "Account", "Contract", "Project", "Task", "Asset", "Ledger", "Region", "Store")


def prop(name, type_, value, ddl=0):
    return (name, type_, ddl, value)


_columns = {}


def user_table(i, with_props, wide=0):
    """Table number i: 30 columns plus up to 4 more, and 4 to 6 indexes.
    Tables share their column objects: a column's place, and so its layout,
    is the same in every table."""
    if with_props not in _columns:
        _columns[with_props] = user_columns(with_props, wide)
    base, extras = _columns[with_props]
    table = Table(f"{WORDS[i % len(WORDS)]}{i:05d}", base + extras[:i % 5])
    if with_props:
        table.table_props = [prop("Description", MEMO, f"Benchmark table {i}"),
                             prop("OrderByOn", BOOL, False)]
    table.add_index(Index("PrimaryKey", [("ID", False)], 0x89, kind=1))
    table.add_index(Index("CodeRegion", [("Code", False), ("Region", False)], 0x81))
    table.add_index(Index("Name", [("Name", False)], 0x80))
    if i % 3 != 1:
        table.add_index(Index("CreatedQuantity", [("CreatedAt", True), ("Quantity", False)], 0x80))
    if i % 3 != 0:
        table.add_index(Index("Email", [("Email", False)], 0x83))
    if i % 2 == 0:
        table.add_index(Index("Category", [("Category", False)], 0x80))
    return table


def user_columns(with_props, wide):
    """The 30 columns of every user table (and `wide` more), and the 4 more
    some have: those come last, so a column's place is the same in every
    table."""
    def text(name, chars, required=False, zero_length=True, more=()):
        props = [prop("AllowZeroLength", BOOL, zero_length, 1), prop("Required", BOOL, required, 1),
                 prop("UnicodeCompression", BOOL, True)] + list(more)
        return Column(name, TEXT, chars, extra=0x01, props=props if with_props else [])

    def number(name, type_, default="0", more=()):
        props = [prop("Required", BOOL, False, 1)] + ([prop("DefaultValue", MEMO, default, 1)]
                                                      if default is not None else []) + list(more)
        return Column(name, type_, props=props if with_props else [])

    def memo(name, flags=0x02, more=()):
        props = [prop("AllowZeroLength", BOOL, True, 1), prop("Required", BOOL, False, 1)] + list(more)
        return Column(name, MEMO, flags=flags, extra=0x01, props=props if with_props else [])

    columns = [
        Column("ID", LONG, flags=0x07, props=[prop("Required", BOOL, False, 1)] if with_props else []),
        text("Code", 20, required=True, zero_length=False,
             more=[prop("Description", MEMO, "Short code, unique within its region")]),
        text("Region", 10, required=True, zero_length=False),
        text("Name", 100, more=[prop("Caption", MEMO, "Full name")]),
        memo("Description"),
        number("Status", BYTE),
        number("Priority", INT, more=[prop("ValidationRule", MEMO, "Between 0 And 9"),
                                      prop("ValidationText", MEMO, "Priority is 0 to 9.")]),
        number("Quantity", LONG),
        number("Price", MONEY, more=[prop("Format", MEMO, "Currency")]),
        number("Discount", SINGLE),
        number("Ratio", DOUBLE),
        number("Active", BOOL, default="No", more=[prop("Format", MEMO, "Yes/No")]),
        number("CreatedAt", DATE, default="Now()", more=[prop("Format", MEMO, "General Date")]),
        number("UpdatedAt", DATE, default=None),
        number("ParentID", LONG, default=None),
        text("ParentCode", 20),
        text("ParentRegion", 10),
        text("Email", 255),
        text("Phone", 30, more=[prop("InputMask", MEMO, "!\\(999\\) 000\\-0000;;_")]),
        memo("Website", flags=0x82),  # a hyperlink
        memo("Notes"),
        Column("Attachment", OLE, props=[prop("Required", BOOL, False, 1)] if with_props else []),
        Column("RowGuid", GUID, flags=0x03, props=[prop("Required", BOOL, False, 1)] if with_props else []),
        number("Approved", BOOL, default="No"),
        number("DueDate", DATE, default=None, more=[prop("Format", MEMO, "Short Date")]),
        number("Score", DOUBLE),
        number("Balance", MONEY),
        text("Category", 50),
        text("Reference", 40),
        number("Sequence", LONG),
    ]
    for n in range(wide):
        kind = n % 4
        name = f"Wide{n + 1:03d}"
        columns.append(text(name, 50) if kind == 0 else number(name, LONG) if kind == 1
                       else number(name, DATE, default=None) if kind == 2 else memo(name))
    extras = [text(f"Extra{n + 1}", 50) if n % 2 == 0 else number(f"Extra{n + 1}", LONG)
              for n in range(4)]
    return columns, extras


class Relation:
    def __init__(self, name, parent, child, pairs, grbit):
        self.name = name
        self.parent = parent   # the primary ("one") table
        self.child = child     # the foreign ("many") table
        self.pairs = pairs     # (parent column, child column)
        self.grbit = grbit
        self.indexes = None    # (primary side, foreign side) when enforced


def relate(tables):
    """Each table after the first points at one parent by ParentID; every
    fourth also at another by (ParentCode, ParentRegion). Enforced ones get
    Access's two foreign-key indexes."""
    relations = []
    for i in range(1, len(tables)):
        child = tables[i]
        parent = tables[(i - 1) // 2]
        relations.append(Relation(parent.name + child.name, parent, child,
                                  [("ID", "ParentID")], GRBIT_CYCLE[i % len(GRBIT_CYCLE)]))
        if i % 4 == 3:
            other = tables[i // 4]
            relations.append(Relation(other.name + child.name, other, child,
                                      [("Code", "ParentCode"), ("Region", "ParentRegion")],
                                      0 if i % 8 == 3 else DONT_ENFORCE))
    incoming = {}
    for rel in relations:
        if rel.grbit & DONT_ENFORCE:
            continue
        foreign = rel.child.add_index(Index(rel.name, [(c, False) for _, c in rel.pairs], 0x80, kind=2))
        target = "PrimaryKey" if rel.pairs[0][0] == "ID" else "CodeRegion"
        unique = next(x for x in rel.parent.indexes if x.name == target)
        count = incoming.get(rel.parent.name, 0)
        incoming[rel.parent.name] = count + 1
        primary = rel.parent.add_index(Index(".r" + chr(ord("B") + count), kind=2), share=unique)
        rel.indexes = (primary, foreign)
        for x in (primary, foreign):
            x.cascade_update = 1 if rel.grbit & 0x100 else 0
            x.cascade_delete = 1 if rel.grbit & 0x1000 else 0
        primary.rel_type, foreign.rel_type = 1, 2
    return relations


# ------------------------------------------------------------- byte writers

def ucs2(text):
    return text.encode("utf-16-le")


def compressed(text):
    """Access's compressed text: FF FE, then one byte a character."""
    if all(0 < ord(ch) < 256 for ch in text):
        return b"\xff\xfe" + text.encode("latin-1")
    return ucs2(text)


def encode_value(column, value, compress):
    t = column.type
    if t == LONG:
        return struct.pack("<i", value)
    if t == INT:
        return struct.pack("<h", value)
    if t == BYTE:
        return struct.pack("<B", value)
    if t in (DOUBLE, DATE):
        return struct.pack("<d", value)
    if t == SINGLE:
        return struct.pack("<f", value)
    if t == MONEY:
        return struct.pack("<q", round(value * 10000))
    if t == GUID:
        return value
    if t == TEXT:
        return compressed(value) if compress else ucs2(value)
    if t in (BINARY, OLE, MEMO):
        return value  # already laid out (long values: their 12-byte head and data)
    raise ValueError(t)


def encode_row(table, values, compress=False):
    """A Jet 4 row: column count, fixed-length values, variable-length ones, their end and
    offsets (last column first), variable count, then the null mask."""
    count = len(table.columns)
    fixed = bytearray(table.fixed_size)
    mask = bytearray((count + 7) // 8)
    var_data = [b""] * table.var_count
    for column in table.columns:
        value = values.get(column.name)
        if column.type == BOOL:
            if value:
                mask[column.number // 8] |= 1 << (column.number % 8)
            continue
        if value is None:
            continue
        mask[column.number // 8] |= 1 << (column.number % 8)
        data = encode_value(column, value, compress and column.extra & 0x01)
        if column.fixed:
            fixed[column.fixed_offset:column.fixed_offset + len(data)] = data
        else:
            var_data[column.var_index] = data
    out = bytearray(struct.pack("<H", count))
    out += fixed
    if table.var_count:
        offsets = []
        for data in var_data:
            offsets.append(len(out))
            out += data
        out += struct.pack("<H", len(out))          # where the variable-length values end
        for offset in reversed(offsets):
            out += struct.pack("<H", offset)
        out += struct.pack("<H", table.var_count)
    out += mask
    return bytes(out)


# Every property name the generator writes: one pool for all property lists,
# so the block of a column can be made once and used in every table.
PROPERTY_NAMES = ("AllowZeroLength", "Required", "UnicodeCompression", "Description", "Caption",
                  "DefaultValue", "ValidationRule", "ValidationText", "Format", "InputMask",
                  "OrderByOn")
PROPERTY_ID = {name: n for n, name in enumerate(PROPERTY_NAMES)}
_blocks = {}


def property_value_bytes(type_, value):
    if type_ == BOOL:
        return b"\xff" if value else b"\x00"
    if type_ in (MEMO, TEXT):
        return ucs2(value)
    if type_ == LONG:
        return struct.pack("<i", value)
    raise ValueError(type_)


def property_block(kind, object_name, props):
    """One object's block: its name, then an entry a property."""
    entries = b""
    for name, type_, ddl, value in props:
        data = property_value_bytes(type_, value)
        entries += struct.pack("<HBBHH", 8 + len(data), ddl, type_, PROPERTY_ID[name], len(data)) + data
    label = ucs2(object_name)
    body = struct.pack("<IH", 6 + len(label), len(label)) + label + entries
    return struct.pack("<IH", 6 + len(body), kind) + body


def property_blob(table):
    """The MR2 property list of a table and its columns."""
    if not table.table_props and not any(c.props for c in table.columns):
        return None
    pool = b"".join(struct.pack("<H", len(ucs2(n))) + ucs2(n) for n in PROPERTY_NAMES)
    pieces = [b"MR2\0", struct.pack("<IH", 6 + len(pool), 0x80), pool,
             property_block(0x00, "", table.table_props)]
    for column in table.columns:
        if column.props:
            block = _blocks.get(id(column))
            if block is None:
                block = _blocks[id(column)] = property_block(0x01, column.name, column.props)
            pieces.append(block)
    return b"".join(pieces)


class RowPages:
    """Rows packed onto data pages of one owner (a table's definition page,
    0 for usage maps, or the LVAL mark for long values)."""

    def __init__(self, pages, owner, lval=False):
        self.pages = pages
        self.owner = owner
        self.lval = lval
        self.current = None   # (page number, rows)
        self.numbers = []

    def add(self, row):
        """Places a row; returns its pointer (page << 8 | row)."""
        if len(row) > PAGE - DATA_HEADER - 2:
            raise ValueError("row larger than a page")
        if self.current is not None:
            number, rows, used = self.current
            if len(rows) < ROW_LIMIT and used + len(row) + 2 <= PAGE - DATA_HEADER:
                rows.append(row)
                self.current = (number, rows, used + len(row) + 2)
                return number << 8 | (len(rows) - 1)
        number = self.pages.allocate()
        self.numbers.append(number)
        self.current = (number, [row], len(row) + 2)
        self.pages.fill(number, lambda rows=self.current[1], n=number: self.build(rows))
        return number << 8

    def build(self, rows):
        page = bytearray(PAGE)
        end = PAGE
        offsets = []
        for row in rows:
            start = end - len(row)
            page[start:end] = row
            offsets.append(start)
            end = start
        free = end - DATA_HEADER - 2 * len(rows)
        owner = b"LVAL" if self.lval else struct.pack("<I", self.owner)
        page[0:14] = struct.pack("<BBH4sIH", DATA_PAGE, 0x01, free, owner, 0, len(rows))
        for r, offset in enumerate(offsets):
            struct.pack_into("<H", page, DATA_HEADER + 2 * r, offset)
        return bytes(page)


class Pages:
    """The file's pages: numbers handed out in order, contents made when the
    file is written (callables), so everything can point at everything."""

    def __init__(self):
        self.contents = []

    def allocate(self, count=1):
        first = len(self.contents)
        self.contents.extend([None] * count)
        return first if count == 1 else list(range(first, first + count))

    def fill(self, number, content):
        self.contents[number] = content

    def write(self, path):
        zero = bytes(PAGE)
        with open(path, "wb") as out:
            batch = []
            for number, content in enumerate(self.contents):
                data = content() if callable(content) else content
                if data is None:
                    data = zero
                if len(data) != PAGE:
                    raise ValueError(f"page {number} has {len(data)} bytes")
                batch.append(data)
                if len(batch) >= 1024:
                    out.write(b"".join(batch))
                    batch = []
            out.write(b"".join(batch))


def usage_map_row(pages, listed):
    """A usage map naming `listed`: inline (kind 0: first page, then a bit a
    page) when it fits in a row, else a reference map (kind 1) of map pages."""
    listed = sorted(listed)
    if not listed:
        return b"\x00" + struct.pack("<I", 0) + bytes(64)
    first = listed[0] - listed[0] % 8
    span = listed[-1] - first + 1
    bitmap_bytes = max(64, (span + 7) // 8)
    if 5 + bitmap_bytes <= 3800:
        bits = bytearray(bitmap_bytes)
        for p in listed:
            bits[(p - first) // 8] |= 1 << ((p - first) % 8)
        return b"\x00" + struct.pack("<I", first) + bytes(bits)
    slots = listed[-1] // MAP_BITS_PER_PAGE + 1
    refs = []
    for slot in range(slots):
        lo, hi = slot * MAP_BITS_PER_PAGE, (slot + 1) * MAP_BITS_PER_PAGE
        inside = [p for p in listed if lo <= p < hi]
        if not inside:
            refs.append(0)
            continue
        number = pages.allocate()
        bits = bytearray(PAGE - 4)
        for p in inside:
            bits[(p - lo) // 8] |= 1 << ((p - lo) % 8)
        pages.fill(number, struct.pack("<BBH", MAP_PAGE, 0x01, 0) + bytes(bits))
        refs.append(number)
    return b"\x01" + b"".join(struct.pack("<I", r) for r in refs)


def tdef_bytes(table):
    """The table definition, its pointers to usage maps already set."""
    reals = table.reals
    logical = sorted(table.indexes, key=lambda x: jet_name_key(x.name))
    lv_columns = [c for c in table.columns if c.type in LONG_VALUE_TYPES]
    out = bytearray(63)
    struct.pack_into("<BBHII", out, 0, TDEF_PAGE, 0x01, 0, 0, 0)  # free, next, length: later
    struct.pack_into("<III", out, 12, COLUMN_MARK, table.row_count,
                     table.row_count if not table.system else 0)
    out[24] = 0x01
    if not table.system:
        struct.pack_into("<I", out, 36, 0xFFFFFFFF)
    struct.pack_into("<BHHHII", out, 40, 0x53 if table.system else 0x4E, len(table.columns),
                     table.var_count, len(table.columns), len(table.indexes), len(reals))
    struct.pack_into("<II", out, 55, table.usage_map, table.free_map)
    for _ in reals:
        out += struct.pack("<III", 0, table.row_count, 0)
    out += column_records(table.columns)
    for number, (columns, flags) in enumerate(reals):
        record = bytearray(52)
        struct.pack_into("<I", record, 0, REAL_INDEX_MARK)
        for slot in range(10):
            if slot < len(columns):
                col, descending = columns[slot]
                struct.pack_into("<HB", record, 4 + 3 * slot, col, 0x00 if descending else 0x01)
            else:
                struct.pack_into("<HB", record, 4 + 3 * slot, 0xFFFF, 0)
        struct.pack_into("<II", record, 34, table.index_maps[number], table.leaf_pages[number])
        record[46] = flags
        out += record
    for x in logical:
        out += struct.pack("<IIIBiIBBBI", COLUMN_MARK, x.number, x.real, x.rel_type, x.rel_index,
                           x.rel_page, x.cascade_update, x.cascade_delete, x.kind, 0)
    for x in logical:
        name = ucs2(x.name)
        out += struct.pack("<H", len(name)) + name
    for c in lv_columns:
        used, free = table.column_maps[c.number]
        out += struct.pack("<HII", c.number, used, free)
    out += b"\xff\xff"
    struct.pack_into("<I", out, 8, len(out))
    return bytes(out)


_column_records = {}


def column_records(columns):
    """The column records and names of a definition, in (ordinal, name)
    order; made once for each set of (shared) columns."""
    key = tuple(map(id, columns))
    found = _column_records.get(key)
    if found is not None:
        return found
    out = bytearray()
    ordered = sorted(columns, key=lambda c: (c.ordinal, jet_name_key(c.name)))
    for c in ordered:
        record = bytearray(25)
        struct.pack_into("<BIHHHH", record, 0, c.type, COLUMN_MARK, c.number, c.var_index,
                         c.ordinal, LCID_GENERAL)
        record[15] = c.flags
        record[16] = c.extra
        struct.pack_into("<HH", record, 21, c.fixed_offset if c.fixed else 0, c.length)
        out += record
    for c in ordered:
        name = ucs2(c.name)
        out += struct.pack("<H", len(name)) + name
    _column_records[key] = bytes(out)
    return _column_records[key]


def split_tdef(data):
    """The definition's bytes on its first page and continuation pages."""
    pieces = [data[:PAGE]]
    rest = data[PAGE:]
    while rest:
        pieces.append(rest[:PAGE - 8])
        rest = rest[PAGE - 8:]
    return pieces


def tdef_page_count(table):
    """Pages the definition takes; its length does not depend on where its
    pointers point."""
    names = sum(2 + 2 * len(c.name) for c in table.columns)
    index_names = sum(2 + 2 * len(x.name) for x in table.indexes)
    lv = sum(1 for c in table.columns if c.type in LONG_VALUE_TYPES)
    length = (63 + 12 * len(table.reals) + 25 * len(table.columns) + names + 52 * len(table.reals)
              + 28 * len(table.indexes) + index_names + 10 * lv + 2)
    return 1 if length <= PAGE else 1 + -(-(length - PAGE) // (PAGE - 8))


def tdef_page_builder(table, piece):
    def build():
        pieces = split_tdef(tdef_bytes_cached(table))
        body = pieces[piece]
        page = bytearray(PAGE)
        nxt = table.tdef_pages[piece + 1] if piece + 1 < len(pieces) else 0
        if piece == 0:
            page[:len(body)] = body
        else:
            page[8:8 + len(body)] = body
        struct.pack_into("<BBHI", page, 0, TDEF_PAGE, 0x01, max(0, PAGE - 8 - len(body)), nxt)
        return bytes(page)
    return build


_tdef_cache = {}


def tdef_bytes_cached(table):
    key = id(table)
    if key not in _tdef_cache:
        _tdef_cache.clear()
        _tdef_cache[key] = tdef_bytes(table)
    return _tdef_cache[key]


def leaf_page(owner):
    return struct.pack("<BBHI", LEAF_PAGE, 0x01, PAGE - 0x1E0, owner) + bytes(PAGE - 8)


def long_value(data, lval_pages):
    """A long value's 12-byte head in the row: the data inline when short,
    else on a long-value page (one row, or a chain of rows)."""
    if len(data) <= 64:
        return struct.pack("<III", len(data) | 0x80000000, 0, 0) + data
    if len(data) <= PAGE - DATA_HEADER - 2 - 64:
        pointer = lval_pages.add(data)
        return struct.pack("<III", len(data) | 0x40000000, pointer, 0)
    chunk = PAGE - DATA_HEADER - 2 - 64 - 4
    pieces = [data[i:i + chunk] for i in range(0, len(data), chunk)]
    pointer = 0
    for piece in reversed(pieces):
        pointer = lval_pages.add(struct.pack("<I", pointer) + piece)
    return struct.pack("<III", len(data), pointer, 0)


def header_page():
    page = bytearray(PAGE)
    page[0:4] = b"\x00\x01\x00\x00"
    page[4:20] = b"Standard Jet DB\x00"
    struct.pack_into("<I", page, 0x14, 1)  # Jet 4
    # The area the header mask covers, in the clear.
    struct.pack_into("<6I", page, 0x18, 0x100, 0x101, 2, 3, 4, 5)
    struct.pack_into("<HI", page, 0x3C, CODE_PAGE, 0)  # code page; no encryption key
    days = int(CREATED)
    for i in range(10):  # no password: the 40 bytes hold only the date mask
        struct.pack_into("<I", page, 0x42 + 4 * i, days)
    struct.pack_into("<HBB", page, 0x6E, LCID_GENERAL, 0, 0)  # General sort order, legacy
    struct.pack_into("<d", page, 0x72, CREATED)
    stream = rc4_keystream(bytes([0xC7, 0xDA, 0x39, 0x6B]), 128)
    for i in range(128):
        page[0x18 + i] ^= stream[i]
    return bytes(page)


def rc4_keystream(key, length):
    state = list(range(256))
    j = 0
    for i in range(256):
        j = (j + state[i] + key[i % len(key)]) & 0xFF
        state[i], state[j] = state[j], state[i]
    out = bytearray()
    a = b = 0
    for _ in range(length):
        a = (a + 1) & 0xFF
        b = (b + state[a]) & 0xFF
        state[a], state[b] = state[b], state[a]
        out.append(state[(state[a] + state[b]) & 0xFF])
    return out


# --------------------------------------------------------------- data rows

def sample_row(table, n):
    """A row of plausible values for user table `table`; memo values short
    enough to stay in the row."""
    values = {
        "ID": n, "Code": f"C{n:07d}", "Region": "EMEA", "Name": f"{table.name} row {n}",
        "Description": inline_memo("Generated row for the benchmark."), "Status": n % 4,
        "Priority": n % 10, "Quantity": n * 3, "Price": 19.99, "Discount": 0.05,
        "Ratio": 0.125, "Active": n % 2 == 0, "CreatedAt": CREATED + n / 1440.0,
        "UpdatedAt": CREATED + n / 720.0, "ParentID": 1, "ParentCode": "C0000001",
        "ParentRegion": "EMEA", "Email": f"row{n}@example.org", "Phone": "(555) 010-0000",
        "Website": None, "Notes": inline_memo("None."), "Attachment": None,
        "RowGuid": n.to_bytes(16, "little"), "Approved": n % 3 == 0, "DueDate": CREATED + 30,
        "Score": 3.5, "Balance": 120.5, "Category": "General", "Reference": f"REF-{n}",
        "Sequence": n,
    }
    for column in table.columns:
        if column.name.startswith("Extra"):
            values[column.name] = "extra value" if column.type == TEXT else n
    return values


def inline_memo(text):
    data = ucs2(text)
    return struct.pack("<III", len(data) | 0x80000000, 0, 0) + data


def add_data(pages, table, target_bytes):
    """About `target_bytes` of rows for `table`, on pages of their own."""
    id_column = table.by_name["ID"]
    template = encode_row(table, sample_row(table, 1), compress=True)
    id_at = 2 + id_column.fixed_offset
    per_page = min(ROW_LIMIT, (PAGE - DATA_HEADER) // (len(template) + 2))
    page_count = max(1, target_bytes // PAGE)
    first = [pages.allocate() for _ in range(page_count)]
    table.data_pages = first
    table.row_count = page_count * per_page
    base = bytearray(PAGE)
    end = PAGE
    for r in range(per_page):
        start = end - len(template)
        base[start:end] = template
        struct.pack_into("<H", base, DATA_HEADER + 2 * r, start)
        end = start
    free = end - DATA_HEADER - 2 * per_page
    base[0:14] = struct.pack("<BBHIIH", DATA_PAGE, 0x01, free, table.page, 0, per_page)
    row_starts = [PAGE - (r + 1) * len(template) for r in range(per_page)]

    def builder(page_index):
        def build():
            page = bytearray(base)
            for r, start in enumerate(row_starts):
                struct.pack_into("<i", page, start + id_at, page_index * per_page + r + 1)
            return bytes(page)
        return build

    for k, number in enumerate(first):
        pages.fill(number, builder(k))


# ------------------------------------------------------------------ the file

def build(tables_wanted, data_mb, with_props, wide, path):
    objects, aces, queries, relationships = system_tables()
    system = [objects, aces, queries, relationships]
    users = [user_table(i, with_props, wide) for i in range(tables_wanted)]
    relations = relate(users)
    for t in system + users:
        t.number_indexes()

    pages = Pages()
    pages.allocate()                      # 0: header
    pages.fill(0, header_page())
    global_map = pages.allocate()         # 1: the free-page map (no page is free)
    gm_rows = [b"\x00" + struct.pack("<I", 0) + bytes(64)] * 2
    pages.fill(global_map, RowPages(pages, 0).build(gm_rows))

    for t in system + users:              # 2..5: the engine's tables, then the users'
        t.tdef_pages = [pages.allocate() for _ in range(tdef_page_count(t))]
        if t is objects and t.tdef_pages[0] != 2:
            fail("the catalogue's definition did not land on page 2")
    for t in system + users:
        t.leaf_pages = [pages.allocate() for _ in t.reals]
        for number in t.leaf_pages:
            pages.fill(number, leaf_page(t.page))
    for rel in relations:
        if rel.indexes is not None:
            primary, foreign = rel.indexes
            primary.rel_index, primary.rel_page = foreign.number, rel.child.page
            foreign.rel_index, foreign.rel_page = primary.number, rel.parent.page

    if data_mb > 0 and users:
        share = int(data_mb * 1024 * 1024) // len(users)
        for t in users:
            add_data(pages, t, share)

    # Long values (property lists) and the catalogue's rows.
    lval = RowPages(pages, 0, lval=True)
    catalogue = []

    def catalogue_row(id_, parent, name, type_, flags, lv_prop=None):
        values = {"Id": id_, "ParentId": parent, "Name": name, "Type": type_,
                  "DateCreate": CREATED, "DateUpdate": CREATED, "Flags": flags}
        if lv_prop is not None:
            values["LvProp"] = long_value(lv_prop, lval)
        catalogue.append(encode_row(objects, values))

    next_object = [OBJECT_ID_BASE]

    def object_id():
        value = next_object[0]
        next_object[0] += 1
        return value

    catalogue_row(ID_TABLES, ID_ROOT, "Tables", TYPE_CONTAINER, FLAGS_ENGINE)
    catalogue_row(ID_DATABASES, ID_ROOT, "Databases", TYPE_CONTAINER, FLAGS_ENGINE)
    catalogue_row(ID_RELATIONSHIPS, ID_ROOT, "Relationships", TYPE_CONTAINER, FLAGS_ENGINE)
    catalogue_row(ID_MSYSDB, ID_DATABASES, "MSysDb", TYPE_DATABASE, FLAGS_ENGINE)
    for t in system:
        catalogue_row(t.page, ID_TABLES, t.name, TYPE_TABLE, t.flags)
    for name in ("Forms", "Reports", "Scripts", "Modules"):
        catalogue_row(object_id(), ID_ROOT, name, TYPE_CONTAINER, 0)
    for t in users:
        catalogue_row(t.page, ID_TABLES, t.name, TYPE_TABLE, 0,
                      property_blob(t) if with_props else None)
    for rel in relations:
        catalogue_row(object_id(), ID_RELATIONSHIPS, rel.name, TYPE_RELATIONSHIP, 0)

    cat_pages = RowPages(pages, objects.page)
    for row in catalogue:
        cat_pages.add(row)
    objects.data_pages = cat_pages.numbers
    objects.row_count = len(catalogue)
    objects.lv_pages = lval.numbers

    rel_pages = RowPages(pages, relationships.page)
    rel_rows = 0
    for rel in relations:
        for position, (parent_col, child_col) in enumerate(rel.pairs):
            rel_pages.add(encode_row(relationships, {
                "szRelationship": rel.name, "grbit": rel.grbit, "ccolumn": len(rel.pairs),
                "icolumn": position, "szObject": rel.child.name, "szColumn": child_col,
                "szReferencedObject": rel.parent.name, "szReferencedColumn": parent_col}))
            rel_rows += 1
    relationships.data_pages = rel_pages.numbers
    relationships.row_count = rel_rows

    # Usage maps, on pages of their own, then the definitions that name them.
    maps = RowPages(pages, 0)
    for t in system + users:
        t.usage_map = maps.add(usage_map_row(pages, t.data_pages))
        t.free_map = maps.add(usage_map_row(pages, []))
        t.index_maps = [maps.add(usage_map_row(pages, [leaf])) for leaf in t.leaf_pages]
        t.column_maps = {}
        for c in t.columns:
            if c.type in LONG_VALUE_TYPES:
                used = t.lv_pages if c.name == "LvProp" else []
                t.column_maps[c.number] = (maps.add(usage_map_row(pages, used)),
                                           maps.add(usage_map_row(pages, [])))
        for piece, number in enumerate(t.tdef_pages):
            pages.fill(number, tdef_page_builder(t, piece))

    pages.write(path)
    return len(pages.contents), len(relations), rel_rows


def main():
    parser = argparse.ArgumentParser(
        description="Write a Jet 4 (.mdb) database of N tables for benchmarks.",
        usage="bench/make-jet4.py --tables N [--data-mb M] [--wide K] [--no-properties] -o FILE")
    parser.add_argument("--tables", type=int, required=True, help="user tables to make (1 or more)")
    parser.add_argument("--data-mb", type=float, default=0.0,
                        help="megabytes of rows to spread over the tables (default 0)")
    parser.add_argument("--wide", type=int, default=0,
                        help="columns to add to every table, 0 to 200 (default 0)")
    parser.add_argument("--no-properties", action="store_true",
                        help="leave out the property lists (LvProp) of tables and columns")
    parser.add_argument("-o", "--output", required=True, help="the .mdb file to write")
    args = parser.parse_args()
    if args.tables < 1:
        fail("--tables must be 1 or more")
    if args.tables > 30000:
        fail("--tables must be at most 30000 (Access allows 32768 objects)")
    if not 0 <= args.wide <= 200:
        fail("--wide must be 0 to 200 (a table has at most 255 columns)")
    if args.data_mb < 0:
        fail("--data-mb must not be negative")
    started = time.monotonic()
    try:
        count, relations, rows = build(args.tables, args.data_mb, not args.no_properties, args.wide,
                                       args.output)
    except OSError as error:
        fail(f"cannot write {args.output}: {error.strerror}")
    print(f"make-jet4.py: {args.output}: {args.tables} tables, {relations} relationships "
          f"({rows} rows), {count} pages ({count * PAGE / 1048576:.1f} MiB) "
          f"in {time.monotonic() - started:.1f} s", file=sys.stderr)


if __name__ == "__main__":
    main()

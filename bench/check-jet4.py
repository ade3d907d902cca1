#!/usr/bin/env python3
"""Checks that mdbtools and vellumtide-cli read the same design from a database.

usage: bench/check-jet4.py --cli PATH [--tables N] FILE...

For each FILE: mdb-ver must say JET4; mdb-tables, mdb-schema (Access and
PostgreSQL output) and vellumtide-cli list, schema and build must succeed;
and both sides must agree on the user tables, each table's columns (names,
order, types, text sizes), its indexes other than the foreign-key ones
(names, fields, order, uniqueness, primary key) and the relationships (one
entry a column pair, with enforcement and cascades). With --tables N the
file must hold N user tables. Prints one line a file; exits 1 at the first
file that fails a check.
"""

import argparse
import collections
import json
import os
import re
import subprocess
import sys
import tempfile

# mdb-schema's Access type names and the DAO type codes of the same types.
ACCESS_TYPES = {"Boolean": 1, "Byte": 2, "Integer": 3, "Long Integer": 4, "Currency": 5,
                "Single": 6, "Double": 7, "DateTime": 8, "Binary": 9, "Text": 10, "OLE": 11,
                "Memo/Hyperlink": 12, "Replication ID": 15, "Numeric": 20}
SYSTEM_ATTRIBUTES = 0x80000002
DONT_ENFORCE, CASCADE_UPDATE, CASCADE_DELETE = 0x2, 0x100, 0x1000


class CheckFailed(Exception):
    pass


def run(command, name):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise CheckFailed(f"{name} failed (exit {result.returncode}): "
                          f"{result.stderr.decode(errors='replace').strip()[:300]}")
    return result.stdout.decode("utf-8", errors="replace")


def mdbtools_design(path):
    """Tables with columns (Access output), indexes and relations (PostgreSQL
    output, whose names are lower case)."""
    version = run(["mdb-ver", path], "mdb-ver").strip()
    if version != "JET4":
        raise CheckFailed(f"mdb-ver says {version!r}, not JET4")
    listed = run(["mdb-tables", "-1", path], "mdb-tables").split("\n")
    tables = [t for t in listed if t]

    columns = {}
    current = None
    for line in run(["mdb-schema", path], "mdb-schema").split("\n"):
        m = re.match(r"CREATE TABLE \[(.*)\]$", line)
        if m:
            current = columns.setdefault(m.group(1), [])
            continue
        m = re.match(r"\t\[(.*)\]\t+([A-Za-z /]+?)(?: \((\d+)(?:, \d+)?\))?(?: NOT NULL)?(?: DEFAULT .*)?,? ?$", line)
        if m and current is not None:
            current.append((m.group(1), m.group(2), int(m.group(3)) if m.group(3) else None))
        elif line.startswith(");"):
            current = None

    indexes = collections.defaultdict(list)
    relations = []
    q = r'"((?:[^"]|"")*)"'
    for line in run(["mdb-schema", path, "postgres"], "mdb-schema postgres").split("\n"):
        m = re.match(rf"ALTER TABLE {q} ADD CONSTRAINT {q} PRIMARY KEY \((.*)\);$", line)
        if m:
            indexes[m.group(1).lower()].append(("primarykey", True, True, parse_fields(m.group(3))))
            continue
        m = re.match(rf"CREATE (UNIQUE )?INDEX {q} ON {q} \((.*)\);$", line)
        if m:
            table = m.group(3).lower()
            name = m.group(2)[len(table) + 1:-len("_idx")].lower()
            indexes[table].append((name, bool(m.group(1)), False, parse_fields(m.group(4))))
            continue
        m = re.match(rf"ALTER TABLE {q} ADD CONSTRAINT {q} FOREIGN KEY \({q}\) REFERENCES {q}\({q}\)(.*);$",
                     line)
        if m:
            rest = m.group(6)
            relations.append((m.group(1).lower(), m.group(3).lower(), m.group(4).lower(),
                              m.group(5).lower(), True, "ON UPDATE CASCADE" in rest,
                              "ON DELETE CASCADE" in rest))
            continue
        m = re.match(rf"-- Relationship from {q} \({q}\) to {q}\({q}\) does not enforce integrity\.$", line)
        if m:
            relations.append((m.group(1).lower(), m.group(2).lower(), m.group(3).lower(),
                              m.group(4).lower(), False, False, False))
    return tables, columns, indexes, relations


def parse_fields(text):
    fields = []
    for item in text.split(", "):
        descending = item.endswith(" DESC")
        name = item[:-len(" DESC")] if descending else item
        fields.append((name.strip('"').lower(), descending))
    return tuple(fields)


def vellumtide_design(cli, path):
    schema = json.loads(run([cli, "schema", path], "vellumtide-cli schema"))
    listed = run([cli, "list", path], "vellumtide-cli list").split("\n")
    with tempfile.TemporaryDirectory(prefix="check-jet4-") as folder:
        run([cli, "build", path, "-o", os.path.join(folder, "Design.bas")], "vellumtide-cli build")
        modules = len(os.listdir(folder))
    tables = [t for t in schema["tableDefs"] if t["attributes"] & SYSTEM_ATTRIBUTES == 0]
    listed_tables = [line[len("[Table        ]"):] for line in listed
                     if line.startswith("[Table        ]")]
    if sorted(listed_tables) != sorted(t["name"] for t in tables):
        raise CheckFailed("vellumtide-cli list and schema name different tables")
    return tables, schema["relations"], modules


def type_of(field):
    # mdbtools prints Text sizes in characters, as DAO does.
    return field["type"], field["size"] if field["type"] == 10 else None


def check(cli, path, expected_tables=None):
    m_tables, m_columns, m_indexes, m_relations = mdbtools_design(path)
    v_tables, v_relations, modules = vellumtide_design(cli, path)

    names = sorted(t["name"] for t in v_tables)
    if sorted(m_tables) != names:
        missing = set(names) ^ set(m_tables)
        raise CheckFailed(f"the tables differ: {sorted(missing)[:5]}")
    if expected_tables is not None and len(names) != expected_tables:
        raise CheckFailed(f"{len(names)} user tables, not {expected_tables}")

    column_count = index_count = 0
    for table in v_tables:
        theirs = m_columns.get(table["name"])
        if theirs is None:
            raise CheckFailed(f"mdb-schema has no columns for {table['name']}")
        ours = [(f["name"],) + type_of(f) for f in table["fields"]]
        mapped = [(n, ACCESS_TYPES.get(t, t), s if ACCESS_TYPES.get(t) == 10 else None)
                  for n, t, s in theirs]
        if ours != mapped:
            raise CheckFailed(f"the columns of {table['name']} differ: {ours[:3]}... vs {mapped[:3]}...")
        column_count += len(ours)

        our_indexes = sorted(
            (("primarykey" if x["primary"] else x["name"].lower()), x["unique"], x["primary"],
             tuple((f.lower(), d) for f, d in zip(x["fields"], x.get("descending", [False] * len(x["fields"])))))
            for x in table["indexes"] if not x["foreign"])
        # mdb-schema leaves out the direction of primary-key fields.
        their_indexes = sorted(
            (n, u, p, tuple((f, False) for f, _ in fs) if p else fs)
            for n, u, p, fs in m_indexes.get(table["name"].lower(), []))
        our_indexes = [(n, u, p, tuple((f, False) for f, _ in fs) if p else fs)
                       for n, u, p, fs in our_indexes]
        if our_indexes != their_indexes:
            raise CheckFailed(f"the indexes of {table['name']} differ: {our_indexes} vs {their_indexes}")
        index_count += len(our_indexes)

    user = set(n.lower() for n in names)
    ours = sorted(
        (r["foreignTable"].lower(), f["foreignName"].lower(), r["table"].lower(), f["name"].lower(),
         not r["attributes"] & DONT_ENFORCE,
         bool(r["attributes"] & CASCADE_UPDATE) and not r["attributes"] & DONT_ENFORCE,
         bool(r["attributes"] & CASCADE_DELETE) and not r["attributes"] & DONT_ENFORCE)
        for r in v_relations for f in r["fields"]
        if r["table"].lower() in user and r["foreignTable"].lower() in user)
    theirs = sorted(r for r in m_relations if r[0] in user and r[2] in user)
    if ours != theirs:
        diff = set(ours) ^ set(theirs)
        raise CheckFailed(f"the relationships differ: {sorted(diff)[:3]}")
    relation_count = len({r["name"] for r in v_relations
                          if r["table"].lower() in user and r["foreignTable"].lower() in user})
    return (f"{len(names)} tables, {column_count} columns, {index_count} indexes, "
            f"{relation_count} relationships ({len(ours)} column pairs), {modules} module file(s)")


def main():
    parser = argparse.ArgumentParser(
        description="Check that mdbtools and vellumtide-cli read the same design.",
        usage="bench/check-jet4.py --cli PATH [--tables N] FILE...")
    parser.add_argument("--cli", required=True, help="the vellumtide-cli executable")
    parser.add_argument("--tables", type=int, help="the number of user tables each FILE must hold")
    parser.add_argument("files", nargs="+", metavar="FILE")
    args = parser.parse_args()
    if not os.access(args.cli, os.X_OK):
        sys.exit(f"check-jet4.py: {args.cli} is not an executable")
    for path in args.files:
        if not os.path.isfile(path):
            sys.exit(f"check-jet4.py: {path}: no such file")
        try:
            summary = check(args.cli, path, args.tables)
        except CheckFailed as error:
            sys.exit(f"check-jet4.py: {path}: {error}")
        print(f"check-jet4.py: {path}: agree: {summary}")


if __name__ == "__main__":
    main()

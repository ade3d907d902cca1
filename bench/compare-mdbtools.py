#!/usr/bin/env python3
"""Times vellumtide-cli against mdbtools on the same databases, interleaved.

usage: bench/compare-mdbtools.py [--rounds R] [--sizes N,N,...] [--data-mb M]
                                 [--data-tables N] [--testdata DIR]... [--no-testdata]
                                 [--cli PATH] [--work DIR] [--check] [--json FILE]

Groups of databases: the test databases under each --testdata folder
(default /work/shared/testdata, when it exists), and Jet 4 files that
bench/make-jet4.py writes with 5, 100, 1,000 and 10,000 tables (--sizes),
plus one of --data-tables tables with --data-mb megabytes of rows, to show
that the time does not grow with the data. Generated files are kept in
WORK (default build-bench/bench-data) and made again only when missing or
older than the generator.

Every round runs, for each file: vellumtide-cli list, mdb-tables -1,
vellumtide-cli schema, mdb-schema, vellumtide-cli build, mdb-schema
postgres, vellumtide-cli --version, mdb-ver: ours and theirs one after the
other, so both see the same machine; then /bin/true, the floor under all
of them (what starting a program that does nothing costs here). Each
counted run's wall time and CPU time (user + system, from wait4) are
recorded for the program alone; the
peak resident memory comes from the warm-up round, which runs each command
under GNU time (%M; the Debian package time) and is not timed. The tables
give, for each group, the sum over its files of each file's median times,
and the largest peak memory of any file.

mdb-schema alone (Access output) writes no indexes or relationships;
mdb-schema postgres does, so it is what build is set against. The goal
column checks ours against mdb-schema: at most half its time, and less
peak memory.

Builds an optimised vellumtide-cli in build-bench/ (Release, no GUI, no
tests, -j2) unless --cli names one. Needs mdbtools (mdb-schema, mdb-tables,
mdb-ver).
"""

import argparse
import datetime
import glob
import json
import os
import platform
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NAME = "compare-mdbtools.py"
TIMEOUT = 600  # seconds for one run; mdbtools has been seen to loop on damaged files


def fail(message):
    sys.exit(f"{NAME}: {message}")


def note(message):
    print(f"{NAME}: {message}", file=sys.stderr, flush=True)


def build_cli():
    build = os.path.join(ROOT, "build-bench")
    note(f"building vellumtide-cli (Release) in {build}")
    configure = subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                                "-DVT_BUILD_TESTS=OFF", "-DVT_BUILD_BENCHMARKS=ON", "-DVT_BUILD_GUI=OFF"],
                               check=False, stdout=subprocess.DEVNULL)
    if configure.returncode != 0:
        fail(f"cmake could not configure {build}")
    if subprocess.run(["ninja", "-C", build, "-j2", "vellumtide-cli"], check=False,
                      stdout=subprocess.DEVNULL).returncode != 0:
        fail(f"ninja could not build vellumtide-cli in {build}")
    return os.path.join(build, "src", "cli", "vellumtide-cli")


def generate(work, tables, data_mb=0):
    """The cached Jet 4 file of `tables` tables (and data), made when missing
    or older than the generator."""
    generator = os.path.join(ROOT, "bench", "make-jet4.py")
    name = f"jet4-{tables}t" + (f"-{data_mb}mb" if data_mb else "") + ".mdb"
    path = os.path.join(work, name)
    if os.path.exists(path) and os.path.getmtime(path) >= os.path.getmtime(generator):
        return path
    command = [sys.executable, generator, "--tables", str(tables), "-o", path + ".tmp"]
    if data_mb:
        command += ["--data-mb", str(data_mb)]
    if subprocess.run(command, check=False).returncode != 0:
        fail(f"make-jet4.py could not write {path}")
    os.replace(path + ".tmp", path)
    return path


GNU_TIME = "/usr/bin/time"


def run_once(argv, report, memory):
    """Runs argv with no input and its output thrown away; returns (seconds,
    peak resident KiB, exit code, CPU seconds). A run past TIMEOUT is killed.

    Times and CPU times are the program's own: it is started directly and
    its usage comes from wait4. A wrapper would add its own start-up, a
    millisecond or more, to both sides, which hides most of the difference
    on small files. With `memory`, the run is under GNU time instead and only
    its peak memory counts (KiB 0 otherwise): Linux counts the memory of the
    process that called exec in the child's peak, so wait4's figure would
    put this Python process's size under every run."""
    actions = [(os.POSIX_SPAWN_OPEN, 0, "/dev/null", os.O_RDONLY, 0),
               (os.POSIX_SPAWN_OPEN, 1, "/dev/null", os.O_WRONLY, 0),
               (os.POSIX_SPAWN_OPEN, 2, "/dev/null", os.O_WRONLY, 0)]
    command = [GNU_TIME, "-f", "%M", "-o", report] + argv if memory else argv
    started = time.perf_counter()
    pid = os.posix_spawnp(command[0], command, os.environ, file_actions=actions, setpgroup=0)
    timer = threading.Timer(TIMEOUT, lambda: os.killpg(pid, signal.SIGKILL))
    timer.start()
    try:
        _, status, usage = os.wait4(pid, 0)
    finally:
        timer.cancel()
    elapsed = time.perf_counter() - started
    kib = 0
    if memory:
        with open(report, encoding="utf-8") as lines:
            last = lines.read().strip().split("\n")[-1].split()
        kib = int(last[0]) if last and last[0].isdigit() else 0
    return elapsed, kib, os.waitstatus_to_exitcode(status), usage.ru_utime + usage.ru_stime


# (key, label, argv maker); ours and theirs alternate.
def commands(cli, scratch):
    module = os.path.join(scratch, "Design.bas")
    return [
        ("list", "vellumtide-cli list", lambda f: [cli, "list", f]),
        ("mdb-tables", "mdb-tables -1", lambda f: ["mdb-tables", "-1", f]),
        ("schema", "vellumtide-cli schema", lambda f: [cli, "schema", f]),
        ("mdb-schema", "mdb-schema", lambda f: ["mdb-schema", f]),
        ("build", "vellumtide-cli build", lambda f: [cli, "build", f, "-o", module, "--force"]),
        ("mdb-schema-pg", "mdb-schema postgres", lambda f: ["mdb-schema", f, "postgres"]),
        ("version", "vellumtide-cli --version", lambda f: [cli, "--version"]),
        ("mdb-ver", "mdb-ver", lambda f: ["mdb-ver", f]),
        ("start", "/bin/true (process start)", lambda f: ["true"]),
    ]


# Ours, the mdbtools command it is set against, and whether the goal (half mdb-schema's time, less
# memory) applies.
PAIRS = [("list", "mdb-tables", True), ("schema", "mdb-schema", True),
         ("build", "mdb-schema-pg", True), ("version", "mdb-ver", False)]


def measure(groups, cli, rounds, scratch):
    """samples[group][file][key] = [(seconds, KiB, exit code, CPU seconds), ...]"""
    table = commands(cli, scratch)
    samples = {g: {f: {k: [] for k, _, _ in table} for f in files} for g, files in groups}
    total = sum(len(files) for _, files in groups)
    report = os.path.join(scratch, "time.out")
    peaks = {}  # (file, key) -> KiB, from the warm-up round under GNU time
    for round_number in range(rounds + 1):
        counted = round_number > 0
        started = time.monotonic()
        for group, files in groups:
            for path in files:
                for key, _, argv in table:
                    seconds, kib, code, cpu = run_once(argv(path), report, memory=not counted)
                    if counted:
                        samples[group][path][key].append((seconds, peaks[path, key], code, cpu))
                    else:
                        peaks[path, key] = kib
                for leftover in glob.glob(os.path.join(scratch, "*.bas")):
                    os.remove(leftover)
        note(f"{'round ' + str(round_number) if counted else 'warm-up (peak memory)'}: {total} files "
             f"in {time.monotonic() - started:.1f} s")
    return samples


def summarise(samples, group):
    """For each command: the sum of per-file median times and the peak
    memory over the files where both sides of its pair succeeded in every
    round, and how many files failed. For ours, the same against
    mdb-schema (the goal), over the files where both succeeded."""
    files = samples[group]

    def ok(f, key):
        return all(code == 0 for _, _, code, _ in files[f][key])

    def seconds(key, usable, field=0):
        return sum(statistics.median(run[field] for run in files[f][key]) for f in usable)

    def peak(key, usable):
        return max((run[1] for f in usable for run in files[f][key]), default=0)

    summary = {}
    for ours, theirs, goal in PAIRS:
        usable = [f for f in files if ok(f, ours) and ok(f, theirs)]
        for key in (ours, theirs):
            summary[key] = {"seconds": seconds(key, usable), "cpu_seconds": seconds(key, usable, 3),
                            "peak_kib": peak(key, usable),
                            "files": len(usable), "failed": sum(1 for f in files if not ok(f, key))}
        if goal:
            usable = [f for f in files if ok(f, ours) and ok(f, "mdb-schema")]
            summary[ours]["goal"] = {
                "seconds": seconds(ours, usable), "peak_kib": peak(ours, usable),
                "mdb_schema_seconds": seconds("mdb-schema", usable),
                "mdb_schema_peak_kib": peak("mdb-schema", usable), "files": len(usable)}
    # The floor under every command: starting a program that does nothing.
    usable = [f for f in files if ok(f, "mdb-schema")]
    summary["start"] = {"seconds": seconds("start", usable), "cpu_seconds": seconds("start", usable, 3),
                        "peak_kib": peak("start", usable),
                        "mdb_schema_seconds": seconds("mdb-schema", usable), "files": len(usable)}
    return summary


def ratio(a, b):
    return a / b if b > 0 else float("nan")


def print_failures(files):
    """The files a side failed on, which the sums leave out."""
    ours = [f for f, runs in files.items() if any(code != 0 for key in ("list", "schema", "build")
                                                  for _, _, code, _ in runs[key])]
    theirs = [f for f, runs in files.items() if any(code != 0 for key in ("mdb-tables", "mdb-schema")
                                                    for _, _, code, _ in runs[key])]
    for side, failed in (("vellumtide-cli", ours), ("mdbtools", theirs)):
        if failed:
            print(f"  {side} failed on (left out of its sums): " + ", ".join(
                os.path.relpath(f, os.path.commonpath(list(files))) if len(files) > 1 else f
                for f in failed))


def print_group(label, summary, note_text):
    print(f"\n{label}  ({note_text})")
    print(f"  {'command':<26} {'time s':>9} {'CPU s':>9} {'peak MiB':>9}  {'ours/theirs':>11}  "
          f"{'vs mdb-schema':>13}  goal")
    for ours, theirs, goal in PAIRS:
        o, t = summary[ours], summary[theirs]
        line = (f"  {LABELS[ours]:<26} {o['seconds']:>9.4f} {o['cpu_seconds']:>9.4f} "
                f"{o['peak_kib'] / 1024:>9.1f}  "
                f"{ratio(o['seconds'], t['seconds']):>11.2f}  ")
        if goal:
            g = o["goal"]
            r = ratio(g["seconds"], g["mdb_schema_seconds"])
            missed = [what for what, ok in (("time", r <= 0.5),
                                            ("memory", g["peak_kib"] < g["mdb_schema_peak_kib"]))
                      if not ok]
            line += f"{r:>13.2f}  {'met' if not missed else 'not met: ' + ', '.join(missed)}"
        else:
            line += f"{'':>13}  -"
        if o["failed"]:
            line += f"  ({o['failed']} file(s) failed)"
        print(line)
        line = (f"  {LABELS[theirs]:<26} {t['seconds']:>9.4f} {t['cpu_seconds']:>9.4f} "
                f"{t['peak_kib'] / 1024:>9.1f}")
        if t["failed"]:
            line += f"  {'':>11}  {'':>13}        ({t['failed']} file(s) failed)"
        print(line)
    s = summary["start"]
    print(f"  {LABELS['start']:<26} {s['seconds']:>9.4f} {s['cpu_seconds']:>9.4f} "
          f"{s['peak_kib'] / 1024:>9.1f}  {'':>11}  {ratio(s['seconds'], s['mdb_schema_seconds']):>13.2f}  "
          f"- (the least any program takes)")


LABELS = {key: label for key, label, _ in commands("vellumtide-cli", "/tmp")}


def machine():
    model = ""
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as info:
            for line in info:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return f"{os.cpu_count()} cores, {model or platform.machine()}, Linux {platform.release()}"


def load_average():
    try:
        with open("/proc/loadavg", encoding="utf-8") as loadavg:
            return " ".join(loadavg.read().split()[:3])
    except OSError:
        return "?"


def version_of(argv):
    try:
        return subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              check=False).stdout.decode(errors="replace").strip().split("\n")[0]
    except OSError:
        return "?"


def main():
    parser = argparse.ArgumentParser(
        description="Time vellumtide-cli against mdbtools, interleaved.",
        usage="bench/compare-mdbtools.py [--rounds R] [--sizes N,N,...] [--data-mb M] "
              "[--data-tables N] [--testdata DIR]... [--no-testdata] [--cli PATH] [--work DIR] "
              "[--check] [--json FILE]")
    parser.add_argument("--rounds", type=int, default=3, help="counted rounds (default 3)")
    parser.add_argument("--sizes", default="5,100,1000,10000",
                        help="table counts of the generated files (default 5,100,1000,10000)")
    parser.add_argument("--data-mb", type=int, default=500,
                        help="megabytes of rows in the file with data; 0 for none (default 500)")
    parser.add_argument("--data-tables", type=int, default=1000,
                        help="tables of the file with data (default 1000)")
    parser.add_argument("--testdata", action="append",
                        help="a folder of test databases (default /work/shared/testdata)")
    parser.add_argument("--no-testdata", action="store_true", help="leave out the test databases")
    parser.add_argument("--cli", help="the vellumtide-cli to time (default: build one)")
    parser.add_argument("--work", default=os.path.join(ROOT, "build-bench", "bench-data"),
                        help="where generated databases are kept")
    parser.add_argument("--check", action="store_true",
                        help="first check with bench/check-jet4.py that both sides read the "
                             "generated files alike")
    parser.add_argument("--json", help="also write every sample to this file")
    args = parser.parse_args()

    if args.rounds < 1:
        fail("--rounds must be 1 or more")
    try:
        sizes = [int(s) for s in args.sizes.split(",") if s.strip()]
    except ValueError:
        fail(f"--sizes must be table counts separated by commas, not {args.sizes!r}")
    for tool in ("mdb-schema", "mdb-tables", "mdb-ver"):
        if shutil.which(tool) is None:
            fail(f"{tool} is not installed (Debian package mdbtools; see scripts/install-deps.sh)")
    if not os.access(GNU_TIME, os.X_OK):
        fail(f"{GNU_TIME} is not installed (Debian package time; see scripts/install-deps.sh)")
    cli = os.path.abspath(args.cli) if args.cli else build_cli()
    if not os.access(cli, os.X_OK):
        fail(f"{cli} is not an executable")
    os.makedirs(args.work, exist_ok=True)

    groups = []
    if not args.no_testdata:
        folders = args.testdata or (["/work/shared/testdata"]
                                    if os.path.isdir("/work/shared/testdata") else [])
        for folder in folders:
            if not os.path.isdir(folder):
                fail(f"{folder}: no such folder")
            found = sorted(p for p in glob.glob(os.path.join(folder, "**", "*"), recursive=True)
                           if p.lower().endswith((".mdb", ".accdb")) and os.path.isfile(p))
            if not found:
                fail(f"{folder}: no .mdb or .accdb files")
            groups.append((f"test databases in {folder}", found))
    generated = []
    for n in sizes:
        path = generate(args.work, n)
        generated.append((n, path))
        groups.append((f"{n} tables", [path]))
    if args.data_mb:
        path = generate(args.work, args.data_tables, args.data_mb)
        generated.append((args.data_tables, path))
        groups.append((f"{args.data_tables} tables + {args.data_mb} MB of rows", [path]))
    if not groups:
        fail("nothing to time: no test databases and no sizes")

    if args.check:
        checker = os.path.join(ROOT, "bench", "check-jet4.py")
        for n, path in generated:
            if subprocess.run([sys.executable, checker, "--cli", cli, "--tables", str(n), path],
                              check=False).returncode != 0:
                fail(f"mdbtools and vellumtide-cli read {path} differently; not timing it")

    print(f"machine: {machine()}")
    print(f"vellumtide-cli: {version_of([cli, '--version'])} ({cli})")
    print(f"mdbtools: {version_of(['dpkg-query', '-W', '-f=${Version}', 'mdbtools'])}")
    print(f"rounds: {args.rounds} counted after one warm-up, interleaved ours/theirs per file")
    print(f"load average before: {load_average()}")
    with tempfile.TemporaryDirectory(prefix="compare-mdbtools-") as scratch:
        samples = measure(groups, cli, args.rounds, scratch)
    print(f"load average after: {load_average()} (other work on the machine slows both sides)")

    results = {"machine": machine(), "rounds": args.rounds, "cli": cli,
               "when": datetime.datetime.now().strftime("%Y-%m-%dT%H:%M:%S"), "groups": {}}
    for group, files in groups:
        summary = summarise(samples, group)
        size = sum(os.path.getsize(f) for f in files)
        print_group(group, summary,
                    f"{len(files)} file(s), {size / 1048576:.1f} MiB; time: sum of per-file medians")
        print_failures(samples[group])
        results["groups"][group] = {"summary": summary, "samples": samples[group]}
    print("\ngoal: ours at most half of mdb-schema's time, and less peak memory than it")
    if args.json:
        with open(args.json, "w", encoding="utf-8") as out:
            json.dump(results, out, indent=1)
        note(f"samples written to {args.json}")


if __name__ == "__main__":
    main()

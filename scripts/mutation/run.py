#!/usr/bin/env python3
"""Mutation runs over src/: plant one fault at a time, build, run the tests.

Each mutant from mutants.txt is applied to a private copy of the tree (never
to the tree this script is run from), the copy is rebuilt incrementally with
Ninja, the CTest tests run cheapest first until one fails, and the mutated file
is written back byte for byte. See README.md beside this file.

Python 3 standard library only.
"""

import argparse
import collections
import fnmatch
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_MUTANTS = os.path.join(HERE, "mutants.txt")
SOURCE_SUFFIXES = (".cpp", ".h", ".inc")
KILLED_STATUSES = ("killed", "timeout")
FINAL_STATUSES = ("killed", "survived", "stillborn", "timeout", "missing")
TSV_COLUMNS = ("id", "status", "file", "line", "seconds", "detail", "change")
CMAKE_OPTIONS = ["-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DKN_SANITIZE=OFF", "-DKN_BENCH=OFF", "-DKN_TESTS=ON"]


# ----------------------------------------------------------------------------
# The mutant file
#
#   @ raster/lines-07  src/raster/lines.cpp  [#N]
#   - snippet line          (one or more; the text after "- ")
#   + replacement line      (zero or more; none deletes the snippet)
#
# A snippet is matched with any run of white space standing for any other run,
# so re-indenting or re-wrapping the code does not lose it. It must occur
# exactly once in the file, or at least N times when "#N" picks the N-th.
# ----------------------------------------------------------------------------

class Mutant:
    def __init__(self, ident, path, occurrence, line_no):
        self.id = ident
        self.path = path
        self.occurrence = occurrence      # 0: the snippet must be unique
        self.find_lines = []
        self.replace_lines = []
        self.defined_at = line_no

    @property
    def find(self):
        return "\n".join(self.find_lines).strip()

    @property
    def replace(self):
        return "\n".join(self.replace_lines).strip()

    def change_text(self):
        def flat(text):
            return " ⏎ ".join(part.strip() for part in text.split("\n")).replace("\t", " ")
        return "%s  →  %s" % (flat(self.find), flat(self.replace) if self.replace else "(deleted)")


def parse_mutants(path):
    mutants, seen = [], {}
    current = None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            where = "%s:%d" % (path, number)
            if line.startswith("@"):
                fields = line[1:].split()
                if len(fields) not in (2, 3):
                    sys.exit("%s: expected '@ ID PATH [#N]'" % where)
                occurrence = 0
                if len(fields) == 3:
                    if not re.fullmatch(r"#[1-9][0-9]*", fields[2]):
                        sys.exit("%s: occurrence must read #N" % where)
                    occurrence = int(fields[2][1:])
                if fields[0] in seen:
                    sys.exit("%s: id %s already used at line %d" % (where, fields[0], seen[fields[0]]))
                seen[fields[0]] = number
                current = Mutant(fields[0], fields[1], occurrence, number)
                mutants.append(current)
            elif line.startswith("- ") or line == "-":
                if current is None or current.replace_lines:
                    sys.exit("%s: snippet line outside a record or after its replacement" % where)
                current.find_lines.append(line[2:])
            elif line.startswith("+ ") or line == "+":
                if current is None or not current.find_lines:
                    sys.exit("%s: replacement line before any snippet" % where)
                current.replace_lines.append(line[2:])
            elif line.strip() == "" or line.lstrip().startswith("#"):
                continue
            else:
                sys.exit("%s: cannot read this line: %r" % (where, line))
    for m in mutants:
        if not m.find:
            sys.exit("%s:%d: mutant %s has no snippet" % (path, m.defined_at, m.id))
    return mutants


def snippet_pattern(snippet):
    parts = re.split(r"(\s+)", snippet)
    return re.compile("".join(r"\s+" if p.isspace() else re.escape(p) for p in parts if p))


def list_sources(tree):
    found = []
    for root, dirs, files in os.walk(os.path.join(tree, "src")):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                found.append(os.path.relpath(os.path.join(root, name), tree))
    return found


class Resolver:
    """Finds each mutant's place in a tree: its recorded path (after the rename
    map), else the one source file under src/ that holds its snippet."""

    def __init__(self, tree, renames):
        self.tree = tree
        self.renames = renames
        self.cache = {}
        self.sources = None

    def text(self, rel):
        if rel not in self.cache:
            try:
                with open(os.path.join(self.tree, rel), "rb") as f:
                    self.cache[rel] = f.read().decode("utf-8")
            except (OSError, UnicodeDecodeError):
                self.cache[rel] = None
        return self.cache[rel]

    def mapped_path(self, path):
        for old, new in self.renames:
            if path == old or path.startswith(old.rstrip("/") + "/"):
                return new + path[len(old):]
        return path

    @staticmethod
    def pick(text, pattern, occurrence):
        matches = list(pattern.finditer(text))
        if occurrence == 0:
            return matches[0] if len(matches) == 1 else None, len(matches)
        return (matches[occurrence - 1] if len(matches) >= occurrence else None), len(matches)

    def resolve(self, mutant):
        """Returns (path, start, end, line) or (None, reason)."""
        pattern = snippet_pattern(mutant.find)
        path = self.mapped_path(mutant.path)
        text = self.text(path)
        count_there = None
        if text is not None:
            match, count_there = self.pick(text, pattern, mutant.occurrence)
            if match:
                return path, match.start(), match.end(), text.count("\n", 0, match.start()) + 1
        if self.sources is None:
            self.sources = list_sources(self.tree)
        holders = []
        for rel in self.sources:
            other = self.text(rel)
            if other is None:
                continue
            match, _ = self.pick(other, pattern, mutant.occurrence)
            if match:
                holders.append((rel, match))
        if len(holders) == 1:
            rel, match = holders[0]
            return rel, match.start(), match.end(), self.text(rel).count("\n", 0, match.start()) + 1
        if text is None:
            reason = "%s does not exist" % path
        elif count_there == 0:
            reason = "snippet not in %s" % path
        else:
            reason = "snippet %d times in %s" % (count_there, path)
        if len(holders) > 1:
            reason += "; held by %d files under src/" % len(holders)
        return None, reason


# ----------------------------------------------------------------------------
# Private copies of the tree
# ----------------------------------------------------------------------------

def git(tree, *args):
    return subprocess.run(["git", "-C", tree] + list(args), check=True,
                          capture_output=True, text=True).stdout


def tree_files(tree):
    """The files of the tree as git sees them: tracked and untracked, not ignored."""
    out = git(tree, "ls-files", "-z", "--cached", "--others", "--exclude-standard")
    return sorted(set(p for p in out.split("\0") if p and os.path.isfile(os.path.join(tree, p))))


def same_file(a, b):
    try:
        if os.path.getsize(a) != os.path.getsize(b):
            return False
        with open(a, "rb") as fa, open(b, "rb") as fb:
            return fa.read() == fb.read()
    except OSError:
        return False


def sync_copy(tree, copy):
    """Makes the copy hold exactly the tree's files. A file is rewritten only
    when its bytes differ, with a fresh time stamp, so Ninja rebuilds just that."""
    files = tree_files(tree)
    wanted = set(files)
    changed = 0
    for rel in files:
        src, dst = os.path.join(tree, rel), os.path.join(copy, rel)
        if not same_file(src, dst):
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            if os.path.lexists(dst):
                os.unlink(dst)
            shutil.copyfile(src, dst, follow_symlinks=False)
            shutil.copymode(src, dst)
            changed += 1
    for root, dirs, names in os.walk(copy):
        rel_root = os.path.relpath(root, copy)
        if rel_root == ".":
            dirs[:] = [d for d in dirs if d not in ("build", ".git")]
        for name in names:
            rel = os.path.normpath(os.path.join(rel_root, name))
            if rel not in wanted and not rel.startswith("."):
                os.unlink(os.path.join(root, name))
                changed += 1
    return changed


# ----------------------------------------------------------------------------
# Running things
# ----------------------------------------------------------------------------

def group_cpu_seconds(pgid):
    """Processor time used so far by the live processes of a process group."""
    ticks = 0
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        # After the command's name: state, ppid, pgrp, ..., utime (14), stime (15).
        if int(fields[2]) == pgid:
            ticks += int(fields[11]) + int(fields[12])
    return ticks / os.sysconf("SC_CLK_TCK")


class Interrupted(Exception):
    pass


class Runner:
    """Runs child processes in their own process group so that a timeout or an
    interruption ends the whole group (tests start the program as a child)."""

    def __init__(self, stop):
        self.stop = stop
        self.lock = threading.Lock()
        self.current = None

    def run(self, command, cwd, timeout, output_limit=20000):
        if self.stop.is_set():
            raise Interrupted()
        with self.lock:
            proc = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                    start_new_session=True)
            self.current = proc
        started = time.monotonic()
        timed_out = False
        try:
            try:
                out, _ = proc.communicate(timeout=timeout)
            except subprocess.TimeoutExpired:
                # On a busy machine a test can pass its limit without having
                # run for long: one that has used less than half of it in
                # processor time gets one longer stretch before it counts.
                if group_cpu_seconds(proc.pid) >= 0.5 * timeout:
                    raise
                out, _ = proc.communicate(timeout=2 * timeout)
        except subprocess.TimeoutExpired:
            timed_out = True
            self.kill()
            out, _ = proc.communicate()
        finally:
            with self.lock:
                self.current = None
        # A test may leave children of its own behind: end the whole group.
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
        if self.stop.is_set():
            raise Interrupted()
        text = out.decode("utf-8", "replace") if out else ""
        if output_limit is not None:
            text = text[-output_limit:]
        return proc.returncode, timed_out, time.monotonic() - started, text

    def kill(self):
        with self.lock:
            proc = self.current
        if proc is not None:
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except (ProcessLookupError, PermissionError):
                pass


def first_error(output):
    for line in output.splitlines():
        if "error:" in line or "Error" in line:
            return line.strip()[:200]
    lines = [l for l in output.splitlines() if l.strip()]
    return lines[-1].strip()[:200] if lines else "build failed"


class Worker:
    def __init__(self, index, tree, workdir, stop, args, log):
        self.index = index
        self.tree = tree
        self.copy = os.path.join(workdir, "copy-%d" % index)
        self.build = os.path.join(self.copy, "build")
        self.runner = Runner(stop)
        self.args = args
        self.log = log
        self.tests = []            # (name, command, cwd, seconds) cheapest first
        self.mutated = None        # (absolute path, original bytes) while a mutant is planted

    def say(self, text):
        self.log("[copy-%d] %s" % (self.index, text))

    def ninja(self):
        return self.runner.run(["ninja", "-C", self.build, "-j", str(self.args.build_jobs)],
                               self.copy, self.args.build_timeout)

    def prepare(self):
        os.makedirs(self.copy, exist_ok=True)
        changed = sync_copy(self.tree, self.copy)
        self.say("copy at %s (%d files refreshed)" % (self.copy, changed))
        if not os.path.exists(os.path.join(self.build, "build.ninja")):
            code, _, _, out = self.runner.run(["cmake", "-S", self.copy, "-B", self.build] + CMAKE_OPTIONS,
                                              self.copy, 600)
            if code != 0:
                raise RuntimeError("cmake failed in %s:\n%s" % (self.copy, out[-3000:]))
        started = time.monotonic()
        code, _, _, out = self.ninja()
        if code != 0:
            raise RuntimeError("the unmutated tree does not build in %s:\n%s" % (self.copy, out[-3000:]))
        self.say("built in %.0f s" % (time.monotonic() - started))
        code, _, _, out = self.runner.run(["ctest", "--show-only=json-v1"], self.build, 300,
                                          output_limit=None)
        if code != 0:
            raise RuntimeError("ctest cannot list the tests:\n" + out[-3000:])
        tests = []
        for test in json.loads(out)["tests"]:
            props = {p["name"]: p["value"] for p in test.get("properties", [])}
            if props.get("DISABLED") or props.get("WILL_FAIL"):
                continue
            tests.append((test["name"], test["command"], props.get("WORKING_DIRECTORY", self.build)))
        if not tests:
            raise RuntimeError("ctest lists no tests in %s" % self.build)
        # The unmutated suite must pass; its timings set the order and the timeouts.
        self.say("timing the %d tests on the unmutated tree" % len(tests))
        timed = []
        for name, command, cwd in tests:
            code, timed_out, seconds, out = self.runner.run(command, cwd, self.args.baseline_timeout)
            if code != 0 or timed_out:
                raise RuntimeError("test %s fails on the unmutated tree:\n%s" % (name, out[-3000:]))
            timed.append((name, command, cwd, seconds))
        timed.sort(key=lambda t: (t[3], t[0]))
        self.tests = timed
        self.say("suite takes %.1f s" % sum(t[3] for t in timed))

    def test_order(self, path):
        """Cheapest first; among tests of similar cost, those of the mutated
        file's own folder first (tests/ mirrors src/), since they kill most."""
        parts = path.split("/")
        area = "kn_tests_" + parts[1] if len(parts) > 2 else None

        def key(test):
            name, command, _, seconds = test
            own = area is not None and os.path.basename(command[0]) == area
            cost_class = 0 if seconds < 0.25 else 1 if seconds < 1.5 else 2
            return (cost_class, 0 if own else 1, seconds, name)
        return sorted(self.tests, key=key)

    def run_mutant(self, mutant, resolver):
        started = time.monotonic()
        found = resolver.resolve(mutant)
        if found[0] is None:
            return dict(status="missing", file=mutant.path, line="", detail=found[1])
        path, start, end, line = found
        original_text = resolver.text(path)
        mutated_text = original_text[:start] + mutant.replace + original_text[end:]
        target = os.path.join(self.copy, path)
        with open(target, "rb") as f:
            original = f.read()
        if original.decode("utf-8") != original_text:
            raise RuntimeError("copy out of step with the tree: %s" % path)
        if mutated_text == original_text:
            return dict(status="stillborn", file=path, line=line, detail="replacement equals the snippet")
        result = dict(file=path, line=line)
        if path != mutant.path:
            result["moved"] = "found in %s" % path
        try:
            self.mutated = (target, original)
            with open(target, "wb") as f:
                f.write(mutated_text.encode("utf-8"))
            code, timed_out, _, out = self.ninja()
            if code != 0:
                result.update(status="stillborn",
                              detail="build timed out" if timed_out else first_error(out))
            else:
                result.update(status="survived", detail="")
                for name, command, cwd, seconds in self.test_order(path):
                    limit = max(self.args.min_timeout, seconds * self.args.timeout_factor)
                    code, timed_out, _, out = self.runner.run(command, cwd, limit)
                    if timed_out:
                        result.update(status="timeout", detail="%s (over %.0f s)" % (name, limit))
                        break
                    if code != 0:
                        how = "signal %d" % -code if code < 0 else "exit %d" % code
                        result.update(status="killed", detail="%s (%s)" % (name, how))
                        break
        finally:
            self.restore()
        if result.get("moved"):
            result["detail"] = (result["detail"] + "; " if result["detail"] else "") + result["moved"]
        result["seconds"] = time.monotonic() - started
        return result

    def restore(self):
        if self.mutated is None:
            return
        target, original = self.mutated
        with open(target, "wb") as f:
            f.write(original)
        with open(target, "rb") as f:
            if f.read() != original:
                raise RuntimeError("could not restore %s" % target)
        self.mutated = None


# ----------------------------------------------------------------------------
# Results
# ----------------------------------------------------------------------------

def read_results(path):
    rows = collections.OrderedDict()
    with open(path, encoding="utf-8") as f:
        header = None
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if header is None:
                header = fields
                continue
            row = dict(zip(header, fields))
            rows[row["id"]] = row
    return rows


def clean(value):
    return str(value).replace("\t", " ").replace("\n", " ")


def summary_lines(rows, title):
    counts = collections.Counter(r["status"] for r in rows.values())
    killed = counts["killed"] + counts["timeout"]
    survived = counts["survived"]
    rate = 100.0 * killed / (killed + survived) if killed + survived else 0.0
    lines = ["%s" % title,
             "mutants: %d   killed: %d   survived: %d   stillborn: %d   timeout: %d   missing: %d"
             % (len(rows), counts["killed"], survived, counts["stillborn"], counts["timeout"],
                counts["missing"]),
             "kill rate: %.1f%% (%d of %d; timeouts count as killed)" % (rate, killed, killed + survived)]
    seconds = [float(r["seconds"]) for r in rows.values() if r.get("seconds")]
    if seconds:
        lines.append("time: %.0f s in all, %.1f s per mutant on average"
                     % (sum(seconds), sum(seconds) / len(seconds)))
    per_folder = collections.OrderedDict()
    for r in sorted(rows.values(), key=lambda r: r["file"]):
        folder = r["file"].split("/")[1] if r["file"].count("/") >= 2 else os.path.basename(r["file"])
        per_folder.setdefault(folder, collections.Counter())[r["status"]] += 1
    lines.append("")
    lines.append("%-12s %7s %8s %9s %7s %9s" % ("folder", "killed", "survived", "stillborn", "timeout", "kill rate"))
    for folder, c in per_folder.items():
        k, s = c["killed"] + c["timeout"], c["survived"]
        lines.append("%-12s %7d %8d %9d %7d %8.1f%%" % (folder, c["killed"], s, c["stillborn"], c["timeout"],
                                                      100.0 * k / (k + s) if k + s else 0.0))
    survivors = [r for r in rows.values() if r["status"] == "survived"]
    if survivors:
        lines.append("")
        lines.append("survivors by file:")
        by_file = collections.OrderedDict()
        for r in sorted(survivors, key=lambda r: (r["file"], int(r["line"] or 0))):
            by_file.setdefault(r["file"], []).append(r)
        for path, group in by_file.items():
            lines.append("  %s" % path)
            for r in group:
                lines.append("    %-26s line %-4s %s" % (r["id"], r["line"], r.get("change", "")))
    others = [r for r in rows.values() if r["status"] in ("stillborn", "missing")]
    if others:
        lines.append("")
        lines.append("stillborn or missing:")
        for r in others:
            lines.append("    %-26s %-9s %s" % (r["id"], r["status"], r["detail"]))
    return lines


def compare(old_path, new_path):
    old, new = read_results(old_path), read_results(new_path)
    lost = []
    for ident, row in old.items():
        if row["status"] in KILLED_STATUSES:
            now = new.get(ident)
            if now is None or now["status"] not in KILLED_STATUSES:
                lost.append((ident, row, now))
    for line in summary_lines(old, "OLD " + old_path)[:3] + summary_lines(new, "NEW " + new_path)[:3]:
        print(line)
    print()
    if not lost:
        print("Every mutant killed in OLD is killed in NEW.")
        return 0
    print("%d mutants killed in OLD are not killed in NEW:" % len(lost))
    for ident, row, now in lost:
        print("  %-26s %-9s %s:%s  (OLD: %s)  %s" % (ident, now["status"] if now else "absent",
                                                   row["file"], row["line"], row["detail"],
                                                   row.get("change", "")))
    return 1


# ----------------------------------------------------------------------------

def select(mutants, patterns):
    if not patterns:
        return mutants
    wanted = []
    for m in mutants:
        for pattern in patterns:
            for p in pattern.split(","):
                if not p:
                    continue
                if any(c in p for c in "*?["):
                    hit = fnmatch.fnmatch(m.id, p) or fnmatch.fnmatch(m.path, p)
                else:
                    hit = m.id == p or m.id.startswith(p) or p in m.path
                if hit:
                    wanted.append(m)
                    break
            else:
                continue
            break
    return wanted


def main():
    ap = argparse.ArgumentParser(description="Plant each mutant of src/ in a private copy, build, run the tests.")
    ap.add_argument("--mutants", default=DEFAULT_MUTANTS, help="the mutant file (default: mutants.txt beside this script)")
    ap.add_argument("--tree", default=None, help="the tree to copy (default: the git work tree holding this script)")
    ap.add_argument("--workdir", default=None, help="where the private copies live (default: /tmp/kn-mutation/<tree>)")
    ap.add_argument("--out", default=None, help="results TSV (default: build/mutation/results-<commit>.tsv in the tree)")
    ap.add_argument("--jobs", type=int, default=1, help="private copies working in parallel")
    ap.add_argument("--build-jobs", type=int, default=1, help="ninja -j inside each copy")
    ap.add_argument("--only", action="append", default=[], help="ids or paths: prefix, substring of the path, or glob; comma-separated or repeated")
    ap.add_argument("--resume", metavar="RESULTS", help="skip the ids already done in this TSV and append to it")
    ap.add_argument("--shuffle", type=int, metavar="SEED", help="run the mutants in a random order drawn from SEED, so that a run cut short is still a fair sample of the set")
    ap.add_argument("--rename", action="append", default=[], metavar="OLD=NEW", help="a path (or folder) renamed since the mutants were written")
    ap.add_argument("--timeout-factor", type=float, default=4.0, help="a test times out after this many times its unmutated duration")
    ap.add_argument("--min-timeout", type=float, default=10.0, help="but never sooner than this many seconds")
    ap.add_argument("--baseline-timeout", type=float, default=900.0)
    ap.add_argument("--build-timeout", type=float, default=900.0)
    ap.add_argument("--check", action="store_true", help="only find every snippet in the tree and report; no build")
    ap.add_argument("--summary", metavar="RESULTS", help="print the summary of a results TSV")
    ap.add_argument("--compare", nargs=2, metavar=("OLD", "NEW"), help="list mutants killed in OLD but not in NEW")
    args = ap.parse_args()

    if args.compare:
        return compare(*args.compare)
    if args.summary:
        print("\n".join(summary_lines(read_results(args.summary), args.summary)))
        return 0

    tree = os.path.abspath(args.tree) if args.tree else git(HERE, "rev-parse", "--show-toplevel").strip()
    renames = []
    for r in args.rename:
        if "=" not in r:
            sys.exit("--rename wants OLD=NEW")
        renames.append(tuple(r.split("=", 1)))
    mutants = select(parse_mutants(args.mutants), args.only)
    resolver = Resolver(tree, renames)

    if args.check:
        bad = 0
        for m in mutants:
            found = resolver.resolve(m)
            if found[0] is None:
                bad += 1
                print("missing   %-26s %s" % (m.id, found[1]))
            elif found[0] != m.path:
                print("moved     %-26s %s -> %s" % (m.id, m.path, found[0]))
            elif m.find == m.replace:
                bad += 1
                print("no-change %-26s" % m.id)
        per_folder = collections.Counter(m.path.split("/")[1] for m in mutants)
        print("%d mutants, %d unusable; per folder: %s" % (len(mutants), bad,
              ", ".join("%s %d" % kv for kv in sorted(per_folder.items()))))
        return 1 if bad else 0

    commit = git(tree, "rev-parse", "--short=10", "HEAD").strip()
    dirty = bool(git(tree, "status", "--porcelain", "--untracked-files=no", "--", "src", "tests",
                     "CMakeLists.txt").strip())
    out_path = args.out or args.resume or os.path.join(tree, "build", "mutation", "results-%s.tsv" % commit)
    done = {}
    if args.resume and os.path.exists(args.resume):
        done = {k: r for k, r in read_results(args.resume).items() if r["status"] in FINAL_STATUSES}
    todo = [m for m in mutants if m.id not in done]
    if args.shuffle is not None:
        random.Random(args.shuffle).shuffle(todo)
    workdir = args.workdir or os.path.join("/tmp", "kn-mutation",
                                           hashlib.sha1(tree.encode()).hexdigest()[:10])
    os.makedirs(os.path.dirname(os.path.abspath(out_path)), exist_ok=True)

    print_lock = threading.Lock()

    def log(text):
        with print_lock:
            print(time.strftime("%H:%M:%S"), text, flush=True)

    log("tree %s at %s%s; %d mutants to run (%d done before), %d copies in %s"
        % (tree, commit, " with local changes" if dirty else "", len(todo), len(done), args.jobs, workdir))
    if not todo:
        print("\n".join(summary_lines(read_results(out_path), out_path)))
        return 0

    new_file = not os.path.exists(out_path) or os.path.getsize(out_path) == 0
    results = open(out_path, "a", encoding="utf-8")
    if new_file:
        results.write("# mutation run of %s%s, %s\n" % (commit, " (with local changes)" if dirty else "",
                                                          time.strftime("%Y-%m-%d %H:%M")))
        results.write("\t".join(TSV_COLUMNS) + "\n")
        results.flush()

    stop = threading.Event()
    queue = collections.deque(todo)
    queue_lock = threading.Lock()
    failures = []
    workers = [Worker(i, tree, workdir, stop, args, log) for i in range(args.jobs)]
    total = len(todo)
    finished = [0]

    def work(worker):
        try:
            worker.prepare()
            while not stop.is_set():
                with queue_lock:
                    if not queue:
                        return
                    mutant = queue.popleft()
                result = worker.run_mutant(mutant, resolver)
                row = dict(id=mutant.id, status=result["status"], file=result["file"],
                           line=result["line"], seconds="%.1f" % result.get("seconds", 0.0),
                           detail=result.get("detail", ""), change=mutant.change_text())
                with print_lock:
                    results.write("\t".join(clean(row[c]) for c in TSV_COLUMNS) + "\n")
                    results.flush()
                    finished[0] += 1
                    print(time.strftime("%H:%M:%S"), "%4d/%d %-26s %-9s %5ss  %s"
                          % (finished[0], total, mutant.id, row["status"], row["seconds"], row["detail"]),
                          flush=True)
        except Interrupted:
            pass
        except Exception as error:          # a broken copy stops the run, not just this worker
            failures.append("copy-%d: %s" % (worker.index, error))
            stop.set()
            for w in workers:
                w.runner.kill()
        finally:
            try:
                worker.restore()
            except Exception as error:
                failures.append("copy-%d: %s" % (worker.index, error))
            finished_workers[worker.index].set()

    def on_term(signum, frame):
        raise KeyboardInterrupt()
    # Installed even when the run was started with SIGINT ignored (as a
    # background job is): an interruption must always restore the copies.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGTERM, on_term)

    # Each worker reports here once its copy is restored. The main thread
    # polls these flags with sleeps rather than joining the threads: a join
    # cut short by Ctrl-C can report a live thread as finished.
    finished_workers = [threading.Event() for _ in workers]
    threads = [threading.Thread(target=work, args=(w,), daemon=True) for w in workers]
    for t in threads:
        t.start()
    interrupted = False
    try:
        while not all(e.is_set() for e in finished_workers):
            time.sleep(0.2)
    except KeyboardInterrupt:
        interrupted = True
        # From here on nothing may stop the copies from being restored.
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        log("interrupted: ending the running builds and tests, restoring the mutated files")
        stop.set()
        for w in workers:
            w.runner.kill()
        while not all(e.is_set() for e in finished_workers):
            time.sleep(0.1)
            for w in workers:
                w.runner.kill()
    for t in threads:
        t.join(5)
    results.close()

    # Every copy must again hold the tree's bytes.
    for w in workers:
        for rel in tree_files(tree):
            if rel.startswith("src/") and os.path.exists(os.path.join(w.copy, rel)) \
                    and not same_file(os.path.join(tree, rel), os.path.join(w.copy, rel)):
                failures.append("copy-%d: %s differs from the tree after the run" % (w.index, rel))
    for f in failures:
        print("error:", f, file=sys.stderr)
    rows = read_results(out_path)
    print()
    print("\n".join(summary_lines(rows, "results: %s" % out_path)))
    if interrupted:
        print("\ninterrupted; resume with --resume %s" % out_path)
        return 130
    return 2 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""compare_outputs.py [--partial] FORMAT EXPECTED_DIR ACTUAL_DIR: the same store converted by two builds gives the
same files. With --partial the actual run was stopped early: each of its files must be the expected file or a
beginning of it that ends between two whole messages (mbox), and nothing else may have been written.

What legitimately differs between two runs is masked: the run's date in every mbox From_ line, and the bmf
mailbox folder and storage file names, which count from the run's start time (they are compared by their order).
Everything else must match byte for byte: file names, folder layout and contents.
"""
import re
import sys
from pathlib import Path

FROM_DATE = re.compile(rb"^(From .*) [A-Z][a-z]{2} [A-Z][a-z]{2} \d{2} \d{2}:\d{2}:\d{2} \d{4}\r\n", re.M)
HEX_NAME = re.compile(r"^[0-9a-f]{8}\.(mb|bmf)$")


def listing(root):
    """Relative path -> bytes, with run-dependent names replaced by their rank among their siblings."""
    files = {}
    for path in sorted(root.rglob("*")):
        if not path.is_file():
            continue
        parts = []
        parent = root
        for part in path.relative_to(root).parts:
            if HEX_NAME.match(part):
                siblings = sorted(p.name for p in parent.iterdir() if HEX_NAME.match(p.name))
                part = "#%d%s" % (siblings.index(part), part[8:])
            parts.append(part)
            parent = parent / path.relative_to(root).parts[len(parts) - 1]
        files["/".join(parts)] = path.read_bytes()
    return files


def mask(fmt, data):
    return FROM_DATE.sub(rb"\1 DATE\r\n", data) if fmt == "mbox" else data


def compare_partial(fmt, expected, actual):
    failures = [name + " was not expected" for name in sorted(set(actual) - set(expected))]
    complete = 0
    for name in sorted(set(actual) & set(expected)):
        a, b = mask(fmt, expected[name]), mask(fmt, actual[name])
        if not a.startswith(b):
            failures.append(name + " is not a beginning of the full output")
        elif fmt == "mbox" and len(b) < len(a) and not a[len(b):].startswith(b"From "):
            failures.append(name + " ends inside a message")
        complete += len(a) == len(b)
    if not actual or complete == 0:
        failures.append("no folder was written completely")
    for failure in failures:
        print("FAILED: %s: %s" % (fmt, failure))
    print("%s: %d files of a stopped run checked, %d complete, %s"
          % (fmt, len(actual), complete, "sound" if not failures else "DAMAGED"))
    return 1 if failures else 0


def main():
    args = sys.argv[1:]
    partial = bool(args) and args[0] == "--partial"
    if partial:
        args = args[1:]
    if len(args) != 3:
        print(__doc__)
        return 2
    fmt, expected_dir, actual_dir = args[0], Path(args[1]), Path(args[2])
    expected, actual = listing(expected_dir), listing(actual_dir)
    failures = []
    if partial:
        return compare_partial(fmt, expected, actual)
    if sorted(expected) != sorted(actual):
        failures.append("file lists differ:\n  only expected: %s\n  only actual: %s"
                        % (sorted(set(expected) - set(actual)), sorted(set(actual) - set(expected))))
    for name in sorted(set(expected) & set(actual)):
        a, b = expected[name], actual[name]
        a, b = mask(fmt, a), mask(fmt, b)
        if a != b:
            at = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
            failures.append("%s differs at byte %d (%d vs %d bytes)" % (name, at, len(a), len(b)))
    if not expected:
        failures.append("nothing was written")
    for failure in failures:
        print("FAILED: %s: %s" % (fmt, failure))
    print("%s: %d files compared, %s" % (fmt, len(expected), "identical" if not failures else "DIFFERENT"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

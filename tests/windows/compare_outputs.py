#!/usr/bin/env python3
"""compare_outputs.py FORMAT EXPECTED_DIR ACTUAL_DIR: the same store converted by two builds gives the same files.

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


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    fmt, expected_dir, actual_dir = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3])
    expected, actual = listing(expected_dir), listing(actual_dir)
    failures = []
    if sorted(expected) != sorted(actual):
        failures.append("file lists differ:\n  only expected: %s\n  only actual: %s"
                        % (sorted(set(expected) - set(actual)), sorted(set(actual) - set(expected))))
    for name in sorted(set(expected) & set(actual)):
        a, b = expected[name], actual[name]
        if fmt == "mbox":
            a, b = FROM_DATE.sub(rb"\1 DATE\r\n", a), FROM_DATE.sub(rb"\1 DATE\r\n", b)
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

#!/usr/bin/env python3
"""Reads an mbox file with Python's standard mailbox module and checks it against the texts it came from.

Usage: check_mbox.py MBOX MODE EXPECTED_DIR

EXPECTED_DIR holds, for each message in order, NNN.txt (the message text as the writer was given it) and
NNN.sender (the sender its From_ line must name). MODE is the writer's quoting setting: from-quoting,
ignore-case or pass-through. Each message read back must equal its text once the quoting is undone, followed
by the empty line that closes it; all From_ lines carry one date. Exit status 0 when everything matches.
"""
import email
import email.policy
import mailbox
import os
import re
import sys

DATE = re.compile(r"(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                  r"\d\d \d\d:\d\d:\d\d \d{4}\r?$")


def unquote(body, mode):
    """Removes the '>' that the writer put before body lines (the texts given never need more care)."""
    if mode == "ignore-case":
        # Every line of '>'s before "from" in any case got one more: taking one away is exact.
        return re.sub(rb"(?im)^>(>*from)", rb"\1", body)
    if mode == "from-quoting":
        # Only lines beginning with "From " were quoted; the texts hold no line beginning with ">From ".
        return re.sub(rb"(?m)^>(From )", rb"\1", body)
    return body


def header_end(raw):
    for mark in (b"\r\n\r\n", b"\n\n"):
        at = raw.find(mark)
        if at >= 0:
            return at + len(mark)
    return len(raw)


def main():
    path, mode, expected_dir = sys.argv[1:4]
    names = sorted(name[:-4] for name in os.listdir(expected_dir) if name.endswith(".txt"))
    box = mailbox.mbox(path, create=False)
    keys = sorted(box.keys())
    failures = []
    if len(keys) != len(names):
        failures.append(f"{len(keys)} messages read back, {len(names)} written")
    dates = set()
    for key, name in zip(keys, names):
        with open(os.path.join(expected_dir, name + ".txt"), "rb") as f:
            text = f.read()
        with open(os.path.join(expected_dir, name + ".sender"), "rb") as f:
            sender = f.read().decode("ascii")
        raw = box.get_bytes(key)
        split = header_end(raw)
        restored = raw[:split] + unquote(raw[split:], mode)
        if restored != text + b"\r\n":
            failures.append(f"message {name}: text differs\n  read: {restored!r}\n  gave: {text!r}")
        from_line = box.get_message(key).get_from()
        if not from_line.startswith(sender + " ") or not DATE.match(from_line[len(sender) + 1:]):
            failures.append(f"message {name}: From_ line {from_line!r}, sender {sender!r}")
        dates.add(from_line[len(sender) + 1:])
        parsed = email.message_from_bytes(raw, policy=email.policy.compat32)
        given = email.message_from_bytes(text, policy=email.policy.compat32)
        if parsed.items() != given.items():
            failures.append(f"message {name}: header fields differ: {parsed.items()!r} / {given.items()!r}")
    if len(dates) > 1:
        failures.append(f"more than one date: {sorted(dates)!r}")
    for failure in failures:
        print(failure)
    print(f"{len(keys)} messages read from {path}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

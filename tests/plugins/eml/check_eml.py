#!/usr/bin/env python3
"""Reads every file of an eml output tree with Python's email package.

Usage: check_eml.py ROOT MANIFEST

MANIFEST lists one expected file per line: its path relative to ROOT, a tab, its Message-ID, a tab, and the
number of parts it must have (0 for a message that is not multipart). Every file must parse as a message with
a header, carry the listed Message-ID and parts, and no file may be missing or unexpected.
"""
import email.policy
import os
import sys
from email.parser import BytesParser


def main():
    root, manifest = sys.argv[1], sys.argv[2]
    expected = {}
    with open(manifest, encoding="utf-8") as listing:
        for line in listing:
            path, message_id, parts = line.rstrip("\n").split("\t")
            expected[path] = (message_id, int(parts))

    problems = []
    found = set()
    for directory, _, files in os.walk(root):
        for name in files:
            path = os.path.relpath(os.path.join(directory, name), root)
            found.add(path)
            with open(os.path.join(directory, name), "rb") as stored:
                message = BytesParser(policy=email.policy.compat32).parse(stored)
            if path not in expected:
                problems.append(f"{path}: not expected")
                continue
            message_id, parts = expected[path]
            if not message.keys():
                problems.append(f"{path}: no header fields")
            if message.get("Message-ID") != message_id:
                problems.append(f"{path}: Message-ID {message.get('Message-ID')!r}, expected {message_id!r}")
            if parts and (not message.is_multipart() or len(message.get_payload()) != parts):
                problems.append(f"{path}: not a multipart message of {parts} parts")
            if message.defects:
                problems.append(f"{path}: {message.defects}")
    for path in sorted(set(expected) - found):
        problems.append(f"{path}: missing")

    for problem in problems:
        print(problem)
    print(f"{len(found)} files read, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

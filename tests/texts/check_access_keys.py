#!/usr/bin/env python3
"""Checks that no two controls of a dialog share an access key ("&S"), in each language of each resource script.

    check_access_keys.py SOURCE_DIR [KNOWN_CLASHES]

Reads app/dovan.rc and plugins/*/win32/*.rc under SOURCE_DIR. The clashes that the required texts themselves
contain are listed in KNOWN_CLASHES (default: known_access_key_clashes.txt beside this script), one a line:

    FILE  LANGUAGE  DIALOG  KEY  "text" "text" ...

Fails on a clash not listed there, and on a listed clash that is gone (so that the list stays true).
"""
import glob
import os
import re
import sys

QUOTED = re.compile(r'"((?:[^"]|"")*)"')
LANGUAGE = re.compile(r"^\s*LANGUAGE\s+LANG_(\w+)")
DIALOG = re.compile(r"^\s*(\w+)\s+DIALOG(?:EX)?\b")
KNOWN = re.compile(r'^(\S+)\s+(\S+)\s+(\S+)\s+(\S)\s+((?:"(?:[^"]|"")*"\s*)+)$')


def access_key(text):
    """The letter after a single "&" ("&&" is a plain ampersand), upper case; None when there is none."""
    i = 0
    while i < len(text) - 1:
        if text[i] == "&":
            if text[i + 1] != "&":
                return text[i + 1].upper()
            i += 2
        else:
            i += 1
    return None


def dialogs(lines):
    """The dialogs of a resource script as {(language, dialog id): [control text, ...]}."""
    found = {}
    language = "Neutral"
    dialog = None
    depth = 0
    for line in lines:
        stripped = line.strip()
        if dialog is None:
            match = LANGUAGE.match(line)
            if match:
                language = match.group(1).capitalize()
                continue
            match = DIALOG.match(line)
            if match:
                dialog = match.group(1)
                found[(language, dialog)] = []
            continue
        if stripped in ("BEGIN", "{"):
            depth += 1
        elif stripped in ("END", "}"):
            depth -= 1
            if depth == 0:
                dialog = None
        elif depth > 0 and "SS_NOPREFIX" not in line:
            match = QUOTED.search(line)
            if match:
                found[(language, dialog)].append(match.group(1).replace('""', '"'))
    return found


def clashes(file_name, lines):
    """The access keys that two or more controls share, as {(file, language, dialog, key): (texts...)}."""
    result = {}
    for (language, dialog), texts in dialogs(lines).items():
        by_key = {}
        for text in texts:
            key = access_key(text)
            if key:
                by_key.setdefault(key, []).append(text)
        for key, holders in by_key.items():
            if len(holders) > 1:
                result[(file_name, language, dialog, key)] = tuple(holders)
    return result


def read_known(lines):
    known = {}
    for number, line in enumerate(lines, 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        match = KNOWN.match(line.strip())
        if not match:
            raise ValueError(f"line {number}: expected: FILE LANGUAGE DIALOG KEY \"text\" \"text\" ...")
        texts = tuple(text.replace('""', '"') for text in QUOTED.findall(match.group(5)))
        known[match.group(1, 2, 3, 4)] = texts
    return known


def describe(where, texts):
    return "  ".join(where) + "  " + " ".join('"' + text.replace('"', '""') + '"' for text in texts)


def compare(found, known):
    """The messages for clashes not known and known clashes not found; empty when the two agree."""
    problems = []
    for where, texts in sorted(found.items()):
        if known.get(where) != texts:
            problems.append("new access-key clash: " + describe(where, texts))
    for where, texts in sorted(known.items()):
        if found.get(where) != texts:
            problems.append("listed clash not found (remove it from the list): " + describe(where, texts))
    return problems


def resource_scripts(source_dir):
    scripts = [os.path.join(source_dir, "app", "dovan.rc")]
    scripts += sorted(glob.glob(os.path.join(source_dir, "plugins", "*", "win32", "*.rc")))
    return scripts


def main(argv):
    if len(argv) not in (1, 2):
        print(__doc__, file=sys.stderr)
        return 2
    source_dir = argv[0]
    known_file = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "known_access_key_clashes.txt")
    found = {}
    for script in resource_scripts(source_dir):
        with open(script, encoding="utf-8") as text:
            found.update(clashes(os.path.relpath(script, source_dir), text.read().splitlines()))
    with open(known_file, encoding="utf-8") as text:
        known = read_known(text.read().splitlines())
    problems = compare(found, known)
    for problem in problems:
        print(problem)
    print(f"{len(found)} access-key clash(es), {len(known)} known; {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
"""Reads a writer's output with Python's own readers and looks for the messages that were counted.

Usage: check_output.py FORMAT DESTINATION COUNTED_DIR

FORMAT is mbox, eml, bmf or maildir. COUNTED_DIR holds <folder>/<n>.txt, the text of every message the run counted as
converted. Every file of the output must be readable as its format says (mbox files by the mailbox module, eml
files and every stored bmf message by the email parser), and every counted text must be there whole, in its
folder, as often as it was counted. Exit status 0 when all is well; the problems are printed otherwise.
"""
import collections
import email
import email.policy
import mailbox
import os
import re
import sys

SEPARATOR = b"\r\n.\r\n"


def parse(raw, where, problems):
    try:
        email.message_from_bytes(raw, policy=email.policy.default)
    except Exception as error:  # any exception means the reader could not take it
        problems.append(f"{where}: the email parser fails: {error!r}")


def unquote_mbox(raw):
    """The stored text of one mbox message: the closing empty line dropped, the From quoting undone."""
    if raw.endswith(b"\r\n"):
        raw = raw[:-2]
    head, mark, body = raw.partition(b"\r\n\r\n")
    if not mark:
        return raw
    return head + mark + re.sub(rb"(?m)^>(From )", rb"\1", body)


def read_mbox(destination, problems):
    found = collections.defaultdict(list)
    for name in sorted(os.listdir(destination)):
        if not name.endswith(".mbx"):
            continue
        box = mailbox.mbox(os.path.join(destination, name), create=False)
        for key in box.keys():
            raw = box.get_bytes(key)
            parse(raw, f"{name} #{key}", problems)
            found[name[:-4]].append(unquote_mbox(raw))
    return found


def read_eml(destination, problems):
    found = collections.defaultdict(list)
    for folder in sorted(os.listdir(destination)):
        path = os.path.join(destination, folder)
        if not os.path.isdir(path):
            continue
        for name in sorted(os.listdir(path)):
            with open(os.path.join(path, name), "rb") as file:
                raw = file.read()
            parse(raw, f"{folder}/{name}", problems)
            found[folder].append(raw)
    return found


def read_bmf(destination, problems):
    found = collections.defaultdict(list)
    mailboxes = [name for name in os.listdir(destination) if name.endswith(".mb")]
    if len(mailboxes) != 1:
        problems.append(f"{len(mailboxes)} mailbox folders instead of one")
    for mailbox_name in mailboxes:
        root = os.path.join(destination, mailbox_name)
        for folder in sorted(os.listdir(root)):
            path = os.path.join(root, folder)
            if not os.path.isdir(path):
                continue
            for name in sorted(os.listdir(path)):
                with open(os.path.join(path, name), "rb") as file:
                    stored = file.read().split(SEPARATOR)
                # The separator begins right after each message's own last line end.
                messages = stored[:-1]
                if stored[-1]:
                    messages.append(stored[-1])
                for index, raw in enumerate(messages):
                    parse(raw, f"{folder}/{name} #{index}", problems)
                found[folder].extend(messages)
    return found


def read_maildir(destination, problems):
    found = collections.defaultdict(list)
    for folder in sorted(os.listdir(destination)):
        path = os.path.join(destination, folder)
        if not os.path.isdir(path):
            continue
        box = mailbox.Maildir(path, factory=None, create=False)
        for key in sorted(box.keys(), key=box._lookup):
            raw = box.get_bytes(key)
            parse(raw, f"{folder}/{box._lookup(key)}", problems)
            found[folder].append(raw)
    return found


def main():
    kind, destination, counted_dir = sys.argv[1:4]
    problems = []
    found = {"mbox": read_mbox, "eml": read_eml, "bmf": read_bmf, "maildir": read_maildir}[kind](destination,
                                                                                                  problems)
    for folder in sorted(os.listdir(counted_dir)):
        for name in sorted(os.listdir(os.path.join(counted_dir, folder))):
            with open(os.path.join(counted_dir, folder, name), "rb") as file:
                text = file.read()
            if kind == "mbox":
                # A failed message that left nothing still gets its closing empty line, after the one before.
                text = text.rstrip(b"\r\n")
                found[folder] = [message.rstrip(b"\r\n") for message in found.get(folder, [])]
            if text in found.get(folder, []):
                found[folder].remove(text)
            else:
                problems.append(f"{folder}: counted message {name} is not whole in the output")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

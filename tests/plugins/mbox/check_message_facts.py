"""Whole runs that carry the message facts into eml and mbox output, read back with Python's packages.

MboxPythonMailbox: --from-date message --status-headers output read by Python's mailbox: get_flags() and the
    From_ line's date of every flag combination and every choice of times, the message bytes as given.
EmlDates: every eml file dated with its received time, else its sent time, under every naming rule.
RealStores: the real stores' eml files and From_ lines dated with the records' received times and their read
    state, from a table checked by hand (the same as the reader's own corpus test).

CTest passes DOVAN (the program), DOVAN_PLUGIN_DIR, DOVAN_FACT_STORE (the store builder of the Maildir checks)
and DOVAN_SOURCE_DIR (the corpus is ../shared/corpus beside it).
"""
import calendar
import mailbox
import os
import shutil
import subprocess
import tempfile
import time
import unittest

DOVAN = os.environ.get("DOVAN", "")
PLUGIN_DIR = os.environ.get("DOVAN_PLUGIN_DIR", "")
FACT_STORE = os.environ.get("DOVAN_FACT_STORE", "")
SOURCE_DIR = os.environ.get("DOVAN_SOURCE_DIR", "")
CORPUS = os.path.join(SOURCE_DIR, "..", "shared", "corpus")
TIMEOUT = 120

# Received times (UTC) and read state of the real stores' messages, in the order the index lists them.
CORPUS_TIMES = {
    "Inbox": [("2021-12-12 04:45:59", True)],
    "kde-test4": [("1999-05-31 23:00:01", False), ("1999-06-02 23:00:01", True), ("1999-06-03 23:00:01", True)],
    "perl-test": [("2002-04-14 00:27:57", True)],
    "perl-test1": [("2002-06-17 20:02:30", True)],
}

# The fact store's flag letters (D draft, F flagged, P forwarded, R answered, S read) as Python's mailbox gives
# them back from Status: and X-Status: (draft as T, as mutt and Dovecot write it).
STATE_LETTERS = [("S", "RO"), ("R", "A"), ("F", "F"), ("D", "T")]


def dovan(*arguments):
    return subprocess.run([DOVAN, *arguments], stdin=subprocess.DEVNULL, capture_output=True, timeout=TIMEOUT,
                          env=dict(os.environ, LANG="C"))


def convert(source, destination, *options):
    return dovan("convert", "--on-error", "skip-mail", "--plugin-dir", PLUGIN_DIR, *options, source, destination)


def from_line_date(seconds):
    return time.strftime("%a %b %d %H:%M:%S %Y", time.gmtime(seconds))


def utc_seconds(text):
    return calendar.timegm(time.strptime(text, "%Y-%m-%d %H:%M:%S"))


class FactStoreRun(unittest.TestCase):
    def setUp(self):
        if not (DOVAN and FACT_STORE and os.path.exists(DOVAN) and os.path.exists(FACT_STORE)):
            self.skipTest("the programs are not built")
        self.scratch = tempfile.mkdtemp(prefix="dovan-facts-")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.source = os.path.join(self.scratch, "source")
        os.mkdir(self.source)
        manifest = os.path.join(self.scratch, "manifest.tsv")
        subprocess.run([FACT_STORE, os.path.join(self.source, "Facts.dbx"), manifest], check=True)
        with open(manifest) as lines:
            # text in hex, flag letters ("" for a record without flags), date in seconds or "-"
            self.expected = [line.rstrip("\n").split("\t") for line in lines]
        self.started = time.time()


class MboxPythonMailbox(FactStoreRun):
    def test_flags_dates_and_bytes(self):
        output = os.path.join(self.scratch, "mbox")
        run = convert(self.source, output, "--format", "mbox", "--from-date", "message", "--status-headers")
        self.assertEqual(run.returncode, 0, run)
        box = mailbox.mbox(os.path.join(output, "Facts.mbx"), create=False)
        self.addCleanup(box.close)
        self.assertEqual(len(box), len(self.expected))
        for number, (message, (text, letters, date)) in enumerate(zip(box, self.expected)):
            with self.subTest(message=number):
                has_flags = number < 32  # the manifest's last message has no flags in its record
                flags = "".join(state for letter, state in STATE_LETTERS if letter in letters)
                self.assertEqual(message.get_flags(), (flags if "S" in letters else "O" + flags) if has_flags else "")
                mozilla = sum(bit for letter, bit in (("S", 1), ("R", 2), ("F", 4), ("P", 0x1000)) if letter in letters)
                self.assertEqual(message.get("X-Mozilla-Status"), "%04x" % mozilla if has_flags else None)
                sender_and_date = message.get_from().rstrip("\r")  # the From_ line ends with CR LF
                if date == "-":
                    run_date = time.mktime(time.strptime(sender_and_date.split(" ", 1)[1], "%a %b %d %H:%M:%S %Y"))
                    self.assertLess(abs(run_date - time.mktime(time.gmtime(self.started))), 600)
                else:
                    self.assertEqual(sender_and_date, "unknown-sender@sender.invalid " + from_line_date(int(date)))
                # The message as stored, apart from the state lines and the quoted From line of its body, and the
                # empty line that ends it in the file.
                stored = bytes.fromhex(text).replace(b"\r\n\r\nFrom", b"\r\n\r\n>From") + b"\r\n"
                lines = box.get_bytes(box.keys()[number]).split(b"\r\n")
                kept = [line for line in lines if not line.startswith((b"Status:", b"X-Status:", b"X-Mozilla-"))]
                self.assertEqual(b"\r\n".join(kept), stored)


class EmlDates(FactStoreRun):
    def test_every_naming_rule(self):
        for setting, name in (("sequence", "%08d.eml"), ("sequence-no-extension", "%d"), ("subject", None)):
            with self.subTest(setting=setting):
                output = os.path.join(self.scratch, setting)
                run = convert(self.source, output, "--format", "eml", "--setting", setting)
                self.assertEqual(run.returncode, 0, run)
                for number, (text, _, date) in enumerate(self.expected):
                    file_name = name % (number + 1) if name else "combination %d.eml" % number
                    path = os.path.join(output, "Facts", file_name)
                    with open(path, "rb") as stored:
                        self.assertEqual(stored.read(), bytes.fromhex(text), path)
                    modified = os.stat(path).st_mtime
                    if date == "-":
                        self.assertLess(abs(modified - self.started), 600, path)
                    else:
                        self.assertEqual(int(modified), int(date), path)


class RealStores(unittest.TestCase):
    def setUp(self):
        if not os.path.isdir(os.path.join(CORPUS, "extra")):
            self.skipTest("no corpus")
        if not (DOVAN and os.path.exists(DOVAN)):
            self.skipTest("the program is not built")
        self.scratch = tempfile.mkdtemp(prefix="dovan-facts-corpus-")
        self.addCleanup(shutil.rmtree, self.scratch, True)

    def convert_corpus(self, *options):
        # Flat, so that every folder lies at the top under its file name whether or not the store has a folder list.
        for part in ("top", "extra"):
            convert(CORPUS if part == "top" else os.path.join(CORPUS, "extra"), os.path.join(self.scratch, part),
                    "--folders", "flat", *options)

    def place(self, folder):
        return os.path.join(self.scratch, "top" if folder == "Inbox" else "extra", folder)

    def test_eml_files_dated_with_the_received_times(self):
        self.convert_corpus("--format", "eml")
        for folder, expected in CORPUS_TIMES.items():
            names = sorted(os.listdir(self.place(folder)))
            self.assertEqual(len(names), len(expected), folder)
            for name, (when, _) in zip(names, expected):
                modified = os.stat(os.path.join(self.place(folder), name)).st_mtime
                self.assertEqual(int(modified), utc_seconds(when), (folder, name))

    def test_mbox_from_lines_and_state(self):
        self.convert_corpus("--format", "mbox", "--from-date", "message", "--status-headers")
        for folder, expected in CORPUS_TIMES.items():
            box = mailbox.mbox(self.place(folder) + ".mbx", create=False)
            self.addCleanup(box.close)
            self.assertEqual(len(box), len(expected), folder)
            for message, (when, read) in zip(box, expected):
                self.assertTrue(message.get_from().rstrip("\r").endswith(" " + from_line_date(utc_seconds(when))), folder)
                self.assertEqual(message.get_flags(), "RO" if read else "O", folder)
                self.assertEqual(len(message.get_all("Status")), 1, folder)


if __name__ == "__main__":
    unittest.main()

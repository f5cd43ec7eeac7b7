"""End-to-end runs of the built dovan without a terminal: every format and setting against expected output
trees, every kind of bad input with its message and exit status, the answers of --on-error, and the
installed program.

Run by CTest (see CMakeLists.txt). DOVAN_UPDATE_EXPECTED=1 rewrites tests/cli/expected from the current
output; review every changed byte before committing it.
"""
import hashlib
import mailbox
import os
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import (BUILD_DIR, DOVAN, EXPECTED_DIR, PLUGIN_DIR, SAMPLE_TOOL, SOURCE_DIR, TIMEOUT, ScratchTest,
                     environment, read_tree, run_dovan, tree_differences, write_tree)

# Format as typed (short or display name, any letter case), setting (None: the default), expected tree.
MATRIX = [
    ("mbox", None, "mbox-from-quoting"),
    ("mbox", "from-quoting", "mbox-from-quoting"),
    ("MBOX", "ignore-case", "mbox-ignore-case"),
    ("UNIX mbox", "pass-through", "mbox-pass-through"),
    ("eml", None, "eml-sequence"),
    ("eml", "sequence", "eml-sequence"),
    ("Eml", "sequence-no-extension", "eml-sequence-no-extension"),
    ("eml format (1file per message)", "subject", "eml-subject"),
    ("bmf", None, "bmf-640"),
    ("bmf", "640", "bmf-640"),
    ("becky! ver.2 (BMF)", "0", "bmf-0"),
    ("bmf", "1", "bmf-1"),
]

SUMMARY = "14 message(s) were converted.\n"
# A store without a readable folder list is converted flat, and the run says so first.
MAILBOX_NAME = re.compile(r"^[0-9a-f]{8}\.mb$")
MAILDIR_STAMP = re.compile(r"^\d+\.(?=\d{8}\.dovan)")
FLAT_NOTE = "No readable Folders.dbx in SOURCE: every .dbx file becomes one top-level folder.\n"


class OutputTrees(ScratchTest):
    def convert(self, format_name, setting, destination, source=None, cwd=None):
        arguments = ["convert", "--format", format_name]
        if setting is not None:
            arguments += ["--setting", setting]
        return run_dovan(*arguments, source or self.store, destination, cwd=cwd)

    def setUp(self):
        super().setUp()
        self.store = self.make_store("formats")

    def test_every_format_and_setting(self):
        updated = set()
        for number, (format_name, setting, expected) in enumerate(MATRIX):
            with self.subTest(format=format_name, setting=setting):
                destination = self.path("out", f"{number}-{expected}")
                run = self.convert(format_name, setting, destination)
                self.assertEqual(run.status, 0, run)
                self.assertEqual(run.out, SUMMARY)
                actual = read_tree(destination)
                if os.environ.get("DOVAN_UPDATE_EXPECTED") == "1" and expected not in updated:
                    write_tree(actual, os.path.join(EXPECTED_DIR, expected))
                    updated.add(expected)
                differences = tree_differences(actual, read_tree(os.path.join(EXPECTED_DIR, expected)))
                self.assertEqual(differences, [], f"{format_name} {setting}: output differs from {expected}")
                # Asked for by name, the flat layout gives the same bytes.
                flat = self.path("flat", f"{number}-{expected}")
                arguments = ["convert", "--format", format_name, "--folders", "flat"]
                run = run_dovan(*arguments + (["--setting", setting] if setting is not None else []), self.store, flat)
                self.assertEqual((run.status, run.out), (0, SUMMARY), run)
                self.assertEqual(tree_differences(read_tree(flat), read_tree(os.path.join(EXPECTED_DIR, expected))), [])

    def test_progress_names_every_converted_folder(self):
        run = self.convert("eml", None, self.path("out"))
        self.assertEqual(run.err, FLAT_NOTE + "1 / 4  Empty\n2 / 4  example.test\n3 / 4  Inbox\n4 / 4  subjects\n")
        run = run_dovan("convert", "--format", "eml", "--folders", "flat", self.store, self.path("flat"))
        self.assertEqual(run.err, "1 / 4  Empty\n2 / 4  example.test\n3 / 4  Inbox\n4 / 4  subjects\n")

    def test_relative_source_and_trailing_separators(self):
        # The writers move the current directory during a run: a relative source must still be found.
        run = self.convert("mbox", None, self.path("relative"), source="store", cwd=self.scratch)
        self.assertEqual(run.status, 0, run)
        self.assertEqual(run.out, SUMMARY)
        expected = read_tree(os.path.join(EXPECTED_DIR, "mbox-from-quoting"))
        self.assertEqual(tree_differences(read_tree(self.path("relative")), expected), [])
        run = self.convert("mbox", None, self.path("slashes") + "//", source=self.store + "/")
        self.assertEqual(run.status, 0, run)
        self.assertEqual(tree_differences(read_tree(self.path("slashes")), expected), [])

    def test_relative_destination_is_taken_from_the_current_directory(self):
        expected = read_tree(os.path.join(EXPECTED_DIR, "mbox-from-quoting"))
        os.makedirs(self.path("work", "here"))
        # destination as typed, current directory, where the output must land
        cases = [("out", self.path("work"), self.path("work", "out")),
                 ("relative/out", self.path("work"), self.path("work", "relative", "out")),
                 ("./dot/", self.path("work"), self.path("work", "dot")),
                 ("../up", self.path("work", "here"), self.path("work", "up"))]
        for destination, cwd, landed in cases:
            with self.subTest(destination=destination, cwd=cwd):
                run = self.convert("mbox", None, destination, cwd=cwd)
                self.assertEqual((run.status, run.out), (0, SUMMARY), run)
                self.assertEqual(tree_differences(read_tree(landed), expected), [])


# The tree store (fixtures/tree_store.cpp) in the tree layout: every entry of the output, directories ending in
# "/", the run-dependent parts of names masked (a bmf mailbox and its storage files, a Maildir's stamp).
# Outbox, the special folders without a file and the Hotmail account are left out; Notes.dbx, not in the list,
# lands at the top; the siblings Archive/ARCHIVE/archive are told apart; "2026" and "1" meet message-file names
# in eml and get "_".
TREE_FOLDERS = ["Inbox", "Inbox/1", "Entwürfe", "Projects", "Projects/2026", "Projects/2026/Deep", "Žó_M",
                "Archive", "ARCHIVE (2)", "archive (3)", "mail.example.com", "mail.example.com/INBOX", "Notes"]
# Messages per folder that has any.
TREE_COUNTS = {"Inbox": 2, "Inbox/1": 1, "Entwürfe": 1, "Projects/2026/Deep": 2, "Žó_M": 1, "Archive": 1,
               "ARCHIVE (2)": 1, "archive (3)": 1, "mail.example.com/INBOX": 1, "Notes": 1}


def maildir_entries(folder, count):
    """A folder's Maildir++ entries; the Inbox is the destination itself, the server's INBOX."""
    parts = folder.split("/")
    if parts[0] == "Inbox":
        parts[0] = "INBOX"
    directory = "." + ".".join(part.replace(".", "_") for part in parts)
    entries = [directory + "/", directory + "/cur/", directory + "/new/", directory + "/tmp/"] + [
        f"{directory}/cur/STAMP.{n:08}.dovan:2,S" for n in range(1, count + 1)]
    return [entry[len(".INBOX/"):] for entry in entries[1:]] if folder == "Inbox" else entries


TREE_MATRIX = [
    # format, extra options, expected entries
    ("mbox", [], ["ARCHIVE (2)", "Archive", "Entwürfe", "Inbox", "Inbox.sbd/", "Inbox.sbd/1", "Notes", "Projects",
                  "Projects.sbd/", "Projects.sbd/2026", "Projects.sbd/2026.sbd/", "Projects.sbd/2026.sbd/Deep",
                  "archive (3)", "mail.example.com", "mail.example.com.sbd/", "mail.example.com.sbd/INBOX",
                  "Žó_M"]),
    ("mbox", ["--codepage", "cp932"], None),  # as above with 受信 for Žó_M, and "_" for the ü cp932 lacks
    # Flat: a file per .dbx file with messages, as before.
    ("mbox", ["--folders", "flat"], ["Archive.mbx", "Archive1.mbx", "Archive2.mbx", "Deep.mbx",
                                     "Entwurf.mbx", "IMAP INBOX.mbx", "Inbox.mbx", "Jp.mbx", "Notes.mbx",
                                     "One.mbx"]),
    ("eml", [], ["ARCHIVE (2)/", "ARCHIVE (2)/00000001.eml", "Archive/", "Archive/00000001.eml", "Entwürfe/",
                 "Entwürfe/00000001.eml", "Inbox/", "Inbox/00000001.eml", "Inbox/00000002.eml", "Inbox/1_/",
                 "Inbox/1_/00000001.eml", "Notes/", "Notes/00000001.eml", "Projects/", "Projects/2026_/",
                 "Projects/2026_/Deep/", "Projects/2026_/Deep/00000001.eml", "Projects/2026_/Deep/00000002.eml",
                 "archive (3)/", "archive (3)/00000001.eml", "mail.example.com/", "mail.example.com/INBOX/",
                 "mail.example.com/INBOX/00000001.eml", "Žó_M/", "Žó_M/00000001.eml"]),
    ("eml", ["--setting", "sequence-no-extension"],
     ["ARCHIVE (2)/", "ARCHIVE (2)/1", "Archive/", "Archive/1", "Entwürfe/", "Entwürfe/1", "Inbox/", "Inbox/1",
      "Inbox/2", "Inbox/1_/", "Inbox/1_/1", "Notes/", "Notes/1", "Projects/", "Projects/2026_/",
      "Projects/2026_/Deep/", "Projects/2026_/Deep/1", "Projects/2026_/Deep/2", "archive (3)/", "archive (3)/1",
      "mail.example.com/", "mail.example.com/INBOX/", "mail.example.com/INBOX/1", "Žó_M/", "Žó_M/1"]),
    # Becky! keeps its folders flat in the mailbox: each named by its path joined with "=".
    ("bmf", [], ["MAILBOX.mb/", "MAILBOX.mb/Mailbox.ini"] + [
        entry for folder in TREE_COUNTS
        for entry in (f"MAILBOX.mb/{folder.replace('/', '=')}/", f"MAILBOX.mb/{folder.replace('/', '=')}/N.bmf")]),
    ("maildir", [], [entry for folder in TREE_FOLDERS if folder != "Notes"
                     for entry in maildir_entries(folder, TREE_COUNTS.get(folder, 0))] +
     maildir_entries("Notes", 1)),
]


def tree_entries(root):
    entries = []
    for directory, directories, files in os.walk(root):
        for name in directories + files:
            relative = os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")
            parts = relative.split("/")
            if MAILBOX_NAME.match(parts[0]):
                parts[0] = "MAILBOX.mb"
            if parts[-1].endswith(".bmf"):
                parts[-1] = "N.bmf"
            parts[-1] = MAILDIR_STAMP.sub("STAMP.", parts[-1])
            entries.append("/".join(parts) + ("/" if name in directories else ""))
    return sorted(entries)


class FolderTrees(ScratchTest):
    def setUp(self):
        super().setUp()
        self.store = self.make_store("tree")

    def convert(self, format_name, options, destination):
        run = run_dovan("convert", "--format", format_name, *options, self.store, destination)
        self.assertEqual((run.status, run.out), (0, "12 message(s) were converted.\n"), run)
        return run

    def test_every_format_keeps_the_tree(self):
        for number, (format_name, options, expected) in enumerate(TREE_MATRIX):
            with self.subTest(format=format_name, options=options):
                destination = self.path(f"{number}-{format_name}")
                run = self.convert(format_name, options, destination)
                if expected is None:  # cp932: the same tree, the names decoded otherwise
                    expected = [entry.replace("Žó_M", "受信").replace("ü", "_") for entry in TREE_MATRIX[0][2]]
                    self.assertIn("6 / 11  受信\n", run.err)
                self.assertEqual(tree_entries(destination), sorted(expected))
        self.assertIn("2 / 11  Inbox/1\n5 / 11  Projects/2026/Deep\n", run.err.replace("3 / 11  Entwürfe\n4 / 11"
                                                                                          "  Projects/2026\n", ""))

    def test_python_reads_each_mbox_and_maildir_folder(self):
        self.convert("eml", [], self.path("eml"))
        self.convert("mbox", [], self.path("mbox"))
        self.convert("maildir", [], self.path("maildir"))
        eml_name = {"Inbox/1": "Inbox/1_", "Projects/2026/Deep": "Projects/2026_/Deep"}
        maildir = mailbox.Maildir(self.path("maildir"), factory=None, create=False)
        self.assertEqual(sorted(maildir.list_folders()),
                         sorted(maildir_entries(folder, 0)[0][1:-1] for folder in TREE_FOLDERS if folder != "Inbox"))
        for folder in TREE_FOLDERS:
            with self.subTest(folder=folder):
                parts = folder.split("/")
                mbox_path = self.path("mbox", *[part + ".sbd" for part in parts[:-1]], parts[-1])
                mbox = mailbox.mbox(mbox_path, create=False)
                count = TREE_COUNTS.get(folder, 0)
                self.assertEqual(len(mbox), count)
                box = maildir if folder == "Inbox" else maildir.get_folder(maildir_entries(folder, 0)[0][1:-1])
                self.assertEqual(len(box), count)
                texts = []
                for n in range(1, count + 1):
                    with open(self.path("eml", eml_name.get(folder, folder), f"{n:08}.eml"), "rb") as f:
                        texts.append(f.read())
                # In the mbox, body lines starting "From " are quoted and a blank line ends each message.
                self.assertEqual([mbox.get_bytes(key) for key in mbox.keys()],
                                 [text.replace(b"\r\nFrom ", b"\r\n>From ") + b"\r\n" for text in texts])
                self.assertEqual(sorted(box.get_bytes(key) for key in box.keys()), sorted(texts))
                mbox.close()


class BadInput(ScratchTest):
    def assertUsageError(self, run, *texts):
        self.assertEqual(run.status, 2, run)
        self.assertEqual(run.out, "")
        for text in texts:
            self.assertIn(text, run.err)
        self.assertTrue(run.err.endswith("Run 'dovan --help' for usage.\n"), run)

    def test_unknown_format_lists_the_valid_ones(self):
        run = run_dovan("convert", "--format", "mh", self.path("store"), self.path("out"))
        self.assertUsageError(run, 'dovan: Unknown format "mh".\nValid formats:\n',
                              "  bmf      Becky! Ver.2 (bmf)\n", "  eml      eml format (1file per message)\n",
                              "  maildir  Maildir (1file per message)\n", "  mbox     UNIX mbox\n")
        self.assertFalse(os.path.exists(self.path("out")))

    def test_refused_setting_lists_the_valid_values(self):
        store = self.make_store("pair")
        cases = [("mbox", "quote-everything", "from-quoting (default), ignore-case, pass-through"),
                 ("eml", "Subject ", "sequence (default), sequence-no-extension, subject"),
                 ("bmf", "big", "(default 640)"),
                 ("bmf", "-5", "(default 640)"),
                 ("bmf", "", "(default 640)")]
        for format_name, value, valid in cases:
            with self.subTest(format=format_name, value=value):
                run = run_dovan("convert", "--format", format_name, "--setting", value, store, self.path("out"))
                self.assertUsageError(run, f'The setting "{value}" is not valid for the format {format_name}.\n'
                                      "Valid values: ", valid)
                self.assertFalse(os.path.exists(self.path("out")))

    def test_nothing_to_convert(self):
        os.makedirs(self.path("empty"))
        os.makedirs(self.path("left-out"))
        for name in ("folders.DBX", "Offline.dbx", "POP3UIDL.dbx"):
            open(self.path("left-out", name), "wb").close()
        os.makedirs(self.path("only-a-folder", "Inbox.dbx"))
        open(self.path("a-file"), "wb").close()
        for source in ("missing", "empty", "left-out", "only-a-folder", "a-file"):
            with self.subTest(source=source):
                run = run_dovan("convert", "--format", "mbox", self.path(source), self.path("out"))
                self.assertEqual((run.status, run.out, run.err), (1, "", "No dbx files to convert.\n"))
                self.assertFalse(os.path.exists(self.path("out")), "the destination is not created")
        run = run_dovan("convert", "--format", "mbox", "", self.path("out"))
        self.assertEqual((run.status, run.err), (1, "No dbx files to convert.\n"))

    def test_destination_that_cannot_be_created(self):
        store = self.make_store("pair")
        open(self.path("a-file"), "wb").close()
        # A relative destination is no longer refused (see OutputTrees); one below a file still fails.
        cases = [("a-file/out", os.strerror(20)),
                 (self.path("a-file", "out"), os.strerror(20))]
        for destination, system_text in cases:
            with self.subTest(destination=destination):
                run = run_dovan("convert", "--format", "mbox", store, destination, cwd=self.scratch)
                self.assertEqual((run.status, run.out), (1, ""), run)
                self.assertEqual(run.err, f"{FLAT_NOTE}Could not create a directory.\n{system_text}\n")

    def test_usage_errors(self):
        cases = [([], "Name a command"),
                 (["list"], "list"),
                 (["convert", "--format", "mbox", "/a"], "convert needs --format NAME, SOURCE and DESTINATION."),
                 (["convert", "/a", "/b"], "convert needs --format NAME"),
                 (["convert", "--format", "mbox", "--frmat", "x", "/a", "/b"], "--frmat"),
                 (["convert", "--format", "mbox", "--on-error", "ignore", "/a", "/b"],
                  'Unknown --on-error value "ignore".\nValid values: ask, skip-mail, skip-folder, abort'),
                 (["convert", "--format", "mbox", "--on-error", "ask", "/a", "/b"], "needs a terminal"),
                 (["convert", "--format", "mbox", "--folders", "nested", "/a", "/b"],
                  'Unknown --folders value "nested".\nValid values: tree, flat'),
                 (["convert", "--format", "mbox", "--codepage", "no-such-page", "/a", "/b"],
                  'Unknown code page "no-such-page"'),
                 (["convert", "--format", "mbox", "/a", "/b", "/c"], "/c")]
        for arguments, text in cases:
            with self.subTest(arguments=arguments):
                self.assertUsageError(run_dovan(*arguments), text)

    def test_no_plugins(self):
        os.makedirs(self.path("no-plugins"))
        run = run_dovan("formats", "--plugin-dir", self.path("no-plugins"))
        self.assertEqual(run.status, 1, run)
        self.assertEqual(run.err, f"No writer plugins are found.\nPlugin folder: {self.path('no-plugins')}\n")
        run = run_dovan("--plugin-dir", self.path("missing"), "convert", "--format", "mbox", "/a", "/b")
        self.assertEqual(run.status, 1, run)
        self.assertTrue(run.err.startswith("No writer plugins are found.\n"), run)

    def test_japanese_texts(self):
        env = environment("ja_JP.UTF-8")
        run = run_dovan("convert", "--format", "mbox", self.path("missing"), self.path("out"), env=env)
        self.assertEqual((run.status, run.err), (1, "変換対象の dbx ファイルがありません。\n"))
        run = run_dovan("convert", "--format", "x", self.path("missing"), self.path("out"), env=env)
        self.assertEqual(run.status, 2)
        self.assertIn('出力形式 "x" はありません。\n使用できる出力形式:\n', run.err)
        self.assertIn("使い方は 'dovan --help' で確認してください。", run.err)
        store = self.make_store("pair")
        run = run_dovan("convert", "--format", "eml", store, self.path("out"), env=env)
        self.assertEqual((run.status, run.out), (0, "6 個のメッセージを変換しました。\n"))
        run = run_dovan("--help", env=env)
        self.assertIn("使い方:", run.out)


class Information(ScratchTest):
    def test_help_version_and_formats(self):
        run = run_dovan("--help")
        self.assertEqual(run.status, 0)
        for text in ("dovan formats", "dovan convert --format NAME", "--on-error", "Exit status"):
            self.assertIn(text, run.out)
        self.assertEqual(run_dovan("convert", "--help").out, run.out)
        with open(os.path.join(SOURCE_DIR, "CMakeLists.txt")) as f:
            version = next(line for line in f if line.startswith("project(")).split("VERSION ")[1].split()[0]
        self.assertEqual(run_dovan("--version").out, f"dovan {version}\n")

        run = run_dovan("formats")
        self.assertEqual((run.status, run.err), (0, ""), run)
        self.assertIn("mbox  UNIX mbox\n    An mbox file is created per OE folder.\n"
                      "    Options: --from-date run|message, --status-headers (changes the message text)\n"
                      "    Setting: from-quoting (default), ignore-case, pass-through\n", run.out)
        self.assertIn("eml  eml format (1file per message)\n", run.out)
        self.assertIn("bmf  Becky! Ver.2 (bmf)\n    1. Confirm your B2 is not running.\n", run.out)
        self.assertLess(run.out.index("Becky!"), run.out.index("eml format"))

    def test_plugins_found_beside_the_program_from_anywhere(self):
        run = run_dovan("formats", cwd="/")
        self.assertEqual(run.status, 0, run)
        self.assertIn("UNIX mbox", run.out)


class ErrorAnswers(ScratchTest):
    """--on-error with the recording writer failing chosen calls; without a terminal nothing is asked."""

    def convert(self, *options, fail="", store=None):
        self.log = self.path("calls.log")
        if os.path.exists(self.log):
            os.remove(self.log)
        env = environment(DOVAN_RECORD_LOG=self.log, DOVAN_RECORD_FAIL=fail)
        return run_dovan("--plugin-dir", self.record_plugin_dir(), "convert", "--format", "record", *options,
                         store or self.store, self.path("out"), env=env)

    def setUp(self):
        super().setUp()
        self.store = self.make_store("pair")

    def test_without_a_terminal_the_first_error_stops_the_run(self):
        run = self.convert(fail="NewMessage:2")
        self.assertEqual((run.status, run.out), (3, ""), run)
        self.assertIn("A following error ocurreed while processing folder A\n"
                      f"    {os.strerror(5)}\n  -> Abort Processing\n", run.err)
        self.assertTrue(run.err.endswith("The conversion was stopped.\n"), run)
        calls = self.read_log(self.log)
        self.assertEqual(calls[calls.index("NewMessage FAILED"):], ["NewMessage FAILED", "FinishConvert", "FinishFolder"])
        self.assertEqual(calls.count("NewFolder"), 1, "folder B is never touched")
        self.assertEqual(run.status, self.convert("--on-error", "abort", fail="NewMessage:2").status)

    def test_skip_mail_goes_on_and_lists_what_it_skipped(self):
        run = self.convert("--on-error", "skip-mail", fail="NewMessage:2,AppendBuffer:4")
        self.assertEqual((run.status, run.out), (0, "4 message(s) were converted.\n"), run)
        self.assertTrue(run.err.endswith("Skipped:\n  A: message(s) 2\n  B: message(s) 2\n"), run)
        self.assertEqual(run.err.count("-> Skip current Mail and continue"), 2)

    def test_skip_folder_skips_the_rest(self):
        run = self.convert("--on-error", "skip-folder", fail="AppendBuffer:2")
        self.assertEqual((run.status, run.out), (0, "4 message(s) were converted.\n"), run)
        self.assertTrue(run.err.endswith("Skipped:\n  A: the rest of the folder\n"), run)

    def test_a_file_that_cannot_be_opened(self):
        os.symlink(self.path("nowhere.dbx"), os.path.join(self.store, "Broken.dbx"))
        run = self.convert("--on-error", "skip-mail")
        self.assertEqual((run.status, run.out), (0, "6 message(s) were converted.\n"), run)
        self.assertIn(f"folder Broken\n    {os.strerror(2)}\n  -> Skip current Folder and continue\n", run.err)
        self.assertTrue(run.err.endswith("Skipped:\n  Broken: the rest of the folder\n"), run)
        self.assertEqual(self.convert().status, 3)

    def test_damaged_folder_is_named(self):
        path = os.path.join(self.store, "B.dbx")
        with open(path, "rb") as f:
            data = f.read()
        with open(path, "wb") as f:
            f.write(data[:len(data) - 300])
        run = self.convert()
        self.assertEqual(run.status, 0, run)
        self.assertTrue(run.err.endswith("Damaged store files (messages past the damage could not be read):\n"
                                         "  B\n"), run)


class RealStores(ScratchTest):
    """Stores written by Outlook Express itself, where the shared corpus is present."""

    CORPUS = os.path.join(SOURCE_DIR, "..", "shared", "corpus")

    def test_messages_arrive_byte_for_byte(self):
        if not os.path.isdir(self.CORPUS):
            self.skipTest("no corpus of real stores beside the repository")
        run = run_dovan("convert", "--format", "eml", self.CORPUS, self.path("top"))
        self.assertEqual((run.status, run.out), (0, "1 message(s) were converted.\n"), run)
        self.assertEqual(sorted(read_tree(self.path("top"))), ["Inbox/00000001.eml"])
        # Its folder list: Inbox and Outbox at the top (Outbox is empty), no Hotmail, in every format.
        self.assertEqual(run.err, "1 / 2  Inbox\n2 / 2  Outbox\n")
        for format_name, entries in [("mbox", ["Inbox"]), ("maildir", maildir_entries("Inbox", 1)),
                                     ("bmf", ["MAILBOX.mb/", "MAILBOX.mb/Inbox/", "MAILBOX.mb/Inbox/N.bmf",
                                              "MAILBOX.mb/Mailbox.ini"])]:
            run = run_dovan("convert", "--format", format_name, self.CORPUS, self.path(format_name))
            self.assertEqual((run.status, run.out), (0, "1 message(s) were converted.\n"), run)
            self.assertEqual(tree_entries(self.path(format_name)), sorted(entries))
        run = run_dovan("convert", "--format", "eml", os.path.join(self.CORPUS, "extra"), self.path("extra"))
        self.assertEqual((run.status, run.out), (0, "5 message(s) were converted.\n"), run)
        # The digests of the stored texts; the conversion adds CR LF to the texts of kde-test4, which lack it.
        expected = {
            "Inbox/00000001.eml": ("5690ac3f898d12554c351767385901b1281720a1b485b08057b47ced59891ec9", False),
            "kde-test4/00000001.eml": ("628c5017317fd9414e5f7624dd0e108a2bb02cf7d09b89d73152ed7d549e9da8", True),
            "kde-test4/00000002.eml": ("1c46bcfed096853d373bb777a99fd0b24496edb9edf86d00503154debfa08b58", True),
            "kde-test4/00000003.eml": ("6971fd3b053418a03f0e7348c30fa01aff8e21ce59ad18bbae1d7e4ec9cff781", True),
            "perl-test/00000001.eml": ("34934eb0b6b7bac25f3f3cfce518ae63102863b5c60cb74755d04b174121c43d", False),
            "perl-test1/00000001.eml": ("83f7d590d15ca661b4fddf23d73f3ec2f6ae1a49465bda277b3f5c02250be26f", False),
        }
        tree = read_tree(self.path("top"))
        tree.update(read_tree(self.path("extra")))
        self.assertEqual(sorted(tree), sorted(expected))
        for name, (digest, closed) in expected.items():
            data = tree[name]
            if closed:
                self.assertTrue(data.endswith(b"\r\n"), name)
                data = data[:-2]
            self.assertEqual(hashlib.sha256(data).hexdigest(), digest, name)

    def test_recover_gives_back_the_text_outside_the_index(self):
        if not os.path.isdir(self.CORPUS):
            self.skipTest("no corpus of real stores beside the repository")
        extra = os.path.join(self.CORPUS, "extra")
        run = run_dovan("convert", "--format", "eml", "--recover", extra, self.path("out"))
        self.assertEqual(run.status, 0, run)
        self.assertEqual(run.out, "5 message(s) were converted.\n"
                         "Recovered from outside the index: 1 message(s), each in a folder \"NAME (recovered)\":\n"
                         "  perl-test: 1\n", run)
        tree = read_tree(self.path("out"))
        recovered = tree["perl-test (recovered)/00000001.eml"]
        header = b"X-Dovan-Recovered: text outside the index at 0x00006AD4, 6 blocks, 0 bytes lost\r\n"
        self.assertEqual(recovered, header + tree["perl-test1/00000001.eml"])
        self.assertEqual([name for name in tree if "(recovered)" in name], ["perl-test (recovered)/00000001.eml"])


class InstalledProgram(ScratchTest):
    def test_install_to_a_prefix_and_run_from_elsewhere(self):
        if not BUILD_DIR:
            self.skipTest("no build directory given")
        prefix = self.path("prefix")
        subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", prefix], check=True, timeout=TIMEOUT,
                       stdout=subprocess.DEVNULL)
        program = os.path.join(prefix, "bin", "dovan")
        self.assertTrue(os.path.exists(os.path.join(prefix, "share", "man", "man1", "dovan.1")))
        for plugin in ("Dovanmbox.so", "Dovaneml.so", "Dovanbmf.so"):
            self.assertTrue(os.path.exists(os.path.join(prefix, "lib", "dovan", plugin)), plugin)
        completed = subprocess.run([program, "convert", "--format", "mbox", os.path.join(SOURCE_DIR, "samples", "store"),
                                    self.path("out")], cwd="/", env=environment(), stdin=subprocess.DEVNULL,
                                   capture_output=True, timeout=TIMEOUT)
        self.assertEqual(completed.returncode, 0, completed)
        self.assertEqual(completed.stdout, b"11 message(s) were converted.\n")
        # The sample store's folder list gives the tree: Club under Inbox, the newsgroup under its account.
        self.assertEqual(tree_entries(self.path("out")),
                         ["Drafts", "Inbox", "Inbox.sbd/", "Inbox.sbd/Club", "Sent Items", "news.example.net",
                          "news.example.net.sbd/", "news.example.net.sbd/example.announce"])
        self.assertEqual(completed.stderr, b"1 / 5  Inbox\n2 / 5  Inbox/Club\n3 / 5  Sent Items\n4 / 5  Drafts\n"
                         b"5 / 5  news.example.net/example.announce\n")


class SampleStore(ScratchTest):
    def test_committed_sample_matches_its_generator(self):
        if not SAMPLE_TOOL or not os.path.exists(SAMPLE_TOOL):
            self.skipTest("make-sample-store is not built")
        generated = self.path("generated")
        os.makedirs(generated)
        subprocess.run([SAMPLE_TOOL, generated], check=True, timeout=TIMEOUT)
        committed = read_tree(os.path.join(SOURCE_DIR, "samples", "store"))
        self.assertEqual(tree_differences(read_tree(generated), committed), [])


if __name__ == "__main__":
    unittest.main()

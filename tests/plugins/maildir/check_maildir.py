"""Whole runs of dovan --format maildir, read back by other programs' Maildir readers.

PythonMailbox: Python's mailbox package reads every message byte for byte, with the store's flags.
RealStores: the real stores' messages are dated with their received times, from a table checked by hand.
Dovecot: a private Dovecot instance (no protocols, a static user) counts the messages and reports the flags.
CommandLine: the format is listed, and --from-date and --status-headers reach a format that takes options.

CTest passes DOVAN (the program), DOVAN_PLUGIN_DIR, DOVAN_FACT_STORE (the store builder), DOVAN_RECORD_PLUGIN
(the recording writer) and DOVAN_SOURCE_DIR.
"""
import calendar
import mailbox
import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

DOVAN = os.environ.get("DOVAN", "")
PLUGIN_DIR = os.environ.get("DOVAN_PLUGIN_DIR", "")
FACT_STORE = os.environ.get("DOVAN_FACT_STORE", "")
RECORD_PLUGIN = os.environ.get("DOVAN_RECORD_PLUGIN", "")
SOURCE_DIR = os.environ.get("DOVAN_SOURCE_DIR", "")
CORPUS = os.path.join(SOURCE_DIR, "..", "shared", "corpus")
TIMEOUT = 120

# Received times of the real stores' messages (UTC), as their Date: or topmost Received: headers give them, and
# whether each is read. Message order within a store as the index lists them.
CORPUS_TIMES = {
    "kde-test4": [("1999-05-31 23:00:01", ""), ("1999-06-02 23:00:01", "S"), ("1999-06-03 23:00:01", "S")],
    "perl-test": [("2002-04-14 00:27:57", "S")],
    "perl-test1": [("2002-06-17 20:02:30", "S")],
}


def dovan(*arguments, **environment):
    return subprocess.run([DOVAN, *arguments], stdin=subprocess.DEVNULL, capture_output=True, timeout=TIMEOUT,
                          env=dict(os.environ, LANG="C", **environment))


def convert(source, destination):
    return dovan("convert", "--format", "maildir", "--on-error", "skip-mail", "--plugin-dir", PLUGIN_DIR, source,
                 destination)


def in_order(box):
    """The keys of a Maildir in the order the messages were written (their names carry the number)."""
    return sorted(box.keys(), key=lambda key: box._lookup(key))


class FactRun(unittest.TestCase):
    def setUp(self):
        if not (DOVAN and FACT_STORE and os.path.exists(DOVAN)):
            self.skipTest("the programs are not built")
        self.scratch = tempfile.mkdtemp(prefix="dovan-maildir-")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        os.mkdir(os.path.join(self.scratch, "source"))
        manifest = os.path.join(self.scratch, "manifest.tsv")
        subprocess.run([FACT_STORE, os.path.join(self.scratch, "source", "Facts.dbx"), manifest], check=True)
        with open(manifest) as lines:
            self.expected = [line.rstrip("\n").split("\t") for line in lines]
        self.output = os.path.join(self.scratch, "out")
        run = convert(os.path.join(self.scratch, "source"), self.output)
        self.assertEqual(run.returncode, 0, run)


class PythonMailbox(FactRun):
    def test_every_message_byte_for_byte_with_its_flags_and_date(self):
        box = mailbox.Maildir(os.path.join(self.output, "Facts"), factory=None, create=False)
        keys = in_order(box)
        self.assertEqual(len(keys), len(self.expected))
        self.assertEqual(os.listdir(os.path.join(self.output, "Facts", "tmp")), [])
        for key, (text, letters, mtime) in zip(keys, self.expected):
            with self.subTest(message=box._lookup(key)):
                self.assertEqual(box.get_bytes(key), bytes.fromhex(text))
                message = box.get_message(key)
                self.assertEqual(message.get_subdir(), "cur")
                self.assertEqual(message.get_flags(), letters)
                modified = int(os.stat(os.path.join(box._path, box._lookup(key))).st_mtime)
                if mtime == "-":
                    self.assertLess(abs(modified - time.time()), 600)
                else:
                    self.assertEqual(modified, int(mtime))


class RealStores(unittest.TestCase):
    def test_messages_dated_with_their_received_times(self):
        extra = os.path.join(CORPUS, "extra")
        if not os.path.isdir(extra):
            self.skipTest("no corpus")
        if not (DOVAN and os.path.exists(DOVAN)):
            self.skipTest("the program is not built")
        scratch = tempfile.mkdtemp(prefix="dovan-maildir-corpus-")
        self.addCleanup(shutil.rmtree, scratch, True)
        convert(extra, scratch)
        for folder, expected in CORPUS_TIMES.items():
            box = mailbox.Maildir(os.path.join(scratch, folder), factory=None, create=False)
            keys = in_order(box)
            self.assertEqual(len(keys), len(expected), folder)
            for key, (when, letters) in zip(keys, expected):
                modified = os.stat(os.path.join(box._path, box._lookup(key))).st_mtime
                self.assertEqual(int(modified), calendar.timegm(time.strptime(when, "%Y-%m-%d %H:%M:%S")), folder)
                self.assertEqual(box.get_message(key).get_flags(), letters, folder)


DOVECOT_CONFIG = """\
base_dir = {root}/run
state_dir = {root}/state
log_path = {root}/dovecot.log
protocols =
ssl = no
default_internal_user = {user}
default_internal_group = {group}
default_login_user = {user}
mail_location = maildir:{maildir}
userdb {{
  driver = static
  args = uid={uid} gid={gid} home={root}/home
}}
passdb {{
  driver = static
  args = nopassword=y
}}
service anvil {{
  chroot =
}}
service stats {{
  unix_listener stats-writer {{
    user = {user}
  }}
}}
"""


class Dovecot(FactRun):
    def setUp(self):
        if not (shutil.which("dovecot") or os.path.exists("/usr/sbin/dovecot")) or not shutil.which("doveadm"):
            self.skipTest("no dovecot")
        # A non-root user for the mail: ourselves, or nobody when the tests run as root.
        try:
            account = pwd.getpwuid(os.getuid()) if os.getuid() != 0 else pwd.getpwnam("nobody")
        except KeyError:
            self.skipTest("no user to read the mail as")
        if account.pw_uid == 0:
            self.skipTest("no non-root user")
        super().setUp()
        self.root = tempfile.mkdtemp(prefix="dovan-dovecot-", dir="/tmp")
        self.addCleanup(shutil.rmtree, self.root, True)
        maildir = os.path.join(self.root, "mail")
        shutil.copytree(self.maildir_to_serve(), maildir)
        for name in ("run", "state", "home"):
            os.mkdir(os.path.join(self.root, name))
        os.chmod(self.root, 0o755)
        if os.getuid() == 0:
            for directory, subdirectories, files in os.walk(self.root):
                for name in [directory] + [os.path.join(directory, f) for f in subdirectories + files]:
                    os.chown(name, account.pw_uid, account.pw_gid)
        self.config = os.path.join(self.root, "dovecot.conf")
        with open(self.config, "w") as config:
            config.write(DOVECOT_CONFIG.format(root=self.root, maildir=maildir, user=account.pw_name,
                                               group=_group_name(account.pw_gid), uid=account.pw_uid,
                                               gid=account.pw_gid))
        dovecot = shutil.which("dovecot") or "/usr/sbin/dovecot"
        self.master = subprocess.Popen([dovecot, "-F", "-c", self.config], stdin=subprocess.DEVNULL,
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.addCleanup(self._stop)
        for _ in range(100):
            if os.path.exists(os.path.join(self.root, "run", "auth-userdb")) or self.master.poll() is not None:
                break
            time.sleep(0.1)
        if self.master.poll() is not None:
            self.fail("dovecot did not start: " + self.master.stdout.read().decode("utf-8", "replace") +
                      _read(os.path.join(self.root, "dovecot.log")))
        self.user = account.pw_name

    def maildir_to_serve(self):
        return os.path.join(self.output, "Facts")

    def _stop(self):
        if self.master.poll() is None:
            self.master.send_signal(signal.SIGTERM)
            try:
                self.master.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.master.kill()
                self.master.wait()

    def doveadm(self, *arguments):
        run = subprocess.run(["doveadm", "-c", self.config, *arguments], capture_output=True, timeout=TIMEOUT)
        self.assertEqual(run.returncode, 0, run.stderr.decode("utf-8", "replace") +
                         _read(os.path.join(self.root, "dovecot.log")))
        return run.stdout.decode("utf-8", "replace")

    def test_dovecot_counts_the_messages_and_reads_their_flags(self):
        status = self.doveadm("mailbox", "status", "-u", self.user, "messages", "INBOX")
        self.assertEqual(status.split(), ["INBOX", "messages=%d" % len(self.expected)])
        fetched = self.doveadm("fetch", "-u", self.user, "flags", "mailbox", "INBOX", "all")
        flags = [line.split(":", 1)[1].split() for line in fetched.splitlines() if line.startswith("flags:")]
        self.assertEqual(len(flags), len(self.expected))
        imap = {"D": "\\Draft", "F": "\\Flagged", "R": "\\Answered", "S": "\\Seen"}
        # Dovecot lists the messages in the order of their names, which is the order they were written.
        for got, (_, letters, _) in zip(flags, self.expected):
            # \Recent is Dovecot's own; P (passed) has no system flag.
            self.assertEqual(sorted(flag for flag in got if flag in imap.values()),
                             sorted(imap[letter] for letter in letters if letter in imap))


class DovecotTree(Dovecot):
    """The sample store's folder tree in the Maildir++ layout, served by Dovecot as nested mailboxes."""

    def maildir_to_serve(self):
        tree = os.path.join(self.scratch, "tree")
        run = convert(os.path.join(SOURCE_DIR, "samples", "store"), tree)
        self.assertEqual(run.returncode, 0, run)
        return tree

    def test_dovecot_counts_the_messages_and_reads_their_flags(self):
        self.skipTest("the fact store's own case")

    def test_dovecot_lists_the_tree_and_counts_each_folder(self):
        # The store's Inbox is the Maildir++ INBOX (the destination itself); Club below it is ".Inbox.Club".
        listed = self.doveadm("mailbox", "list", "-u", self.user).splitlines()
        counts = {"INBOX": 4, "INBOX.Club": 2, "Sent Items": 2, "Drafts": 1, "news_example_net": 0,
                  "news_example_net.example_announce": 2}
        self.assertEqual(sorted(listed), sorted(counts))
        for name, count in counts.items():
            status = self.doveadm("mailbox", "status", "-u", self.user, "messages", name)
            self.assertEqual(status.split()[-1], "messages=%d" % count, name)


class CommandLine(FactRun):
    def test_listed_among_the_formats(self):
        run = dovan("formats", "--plugin-dir", PLUGIN_DIR)
        self.assertEqual(run.returncode, 0, run)
        self.assertIn(b"maildir  Maildir (1file per message)\n    A Maildir is created per OE folder.", run.stdout)
        self.assertIn(b"(no setting)", run.stdout.split(b"maildir  ")[1].split(b"\n\n")[0])

    def test_options_reach_a_format_that_takes_them_and_are_refused_by_others(self):
        source = os.path.join(self.scratch, "source")
        run = dovan("convert", "--format", "eml", "--from-date", "message", "--plugin-dir", PLUGIN_DIR, source,
                    os.path.join(self.scratch, "refused"))
        self.assertEqual(run.returncode, 2, run)
        self.assertIn(b"The format eml does not take --from-date.", run.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.scratch, "refused")))
        if not RECORD_PLUGIN:
            self.skipTest("no recording writer")
        log = os.path.join(self.scratch, "calls.log")
        run = dovan("convert", "--format", "record", "--from-date", "message", "--status-headers", "--plugin-dir",
                    os.path.dirname(RECORD_PLUGIN), source, os.path.join(self.scratch, "recorded"),
                    DOVAN_RECORD_LOG=log, DOVAN_RECORD_FACTS="1")
        self.assertEqual(run.returncode, 0, run)
        with open(log) as calls:
            lines = calls.read().splitlines()
        # After the plugin was loaded and named, the options, then the run.
        start = lines.index("StartConvert " + os.path.join(self.scratch, "recorded"))
        self.assertEqual(lines[start - 2:start], ["SetOption from-date=message", "SetOption status-headers=on"])
        facts = [line for line in lines if line.startswith("SetMessageFacts")]
        self.assertEqual(len(facts), len(self.expected))
        # Each right before its NewMessage.
        for at, line in enumerate(lines):
            if line.startswith("NewMessage"):
                self.assertTrue(lines[at - 1].startswith("SetMessageFacts"), lines[at - 1])


def _group_name(gid):
    import grp
    try:
        return grp.getgrgid(gid).gr_name
    except KeyError:
        return str(gid)


def _read(path):
    try:
        with open(path, errors="replace") as f:
            return f.read()
    except OSError:
        return ""


if __name__ == "__main__":
    unittest.main()

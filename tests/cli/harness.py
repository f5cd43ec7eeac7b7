"""What the command line's end-to-end tests share: the built programs, scratch stores, running dovan, and
reading output trees with the parts that change from run to run masked.

CTest passes the paths through the environment: DOVAN (the program), DOVAN_PLUGIN_DIR (the delivered writers),
DOVAN_RECORD_PLUGIN (the recording writer), DOVAN_TEST_STORES (the store builder), DOVAN_SAMPLE_TOOL,
DOVAN_SOURCE_DIR and DOVAN_BUILD_DIR.
"""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

DOVAN = os.environ.get("DOVAN", "")
PLUGIN_DIR = os.environ.get("DOVAN_PLUGIN_DIR", "")
RECORD_PLUGIN = os.environ.get("DOVAN_RECORD_PLUGIN", "")
TEST_STORES = os.environ.get("DOVAN_TEST_STORES", "")
SAMPLE_TOOL = os.environ.get("DOVAN_SAMPLE_TOOL", "")
SOURCE_DIR = os.environ.get("DOVAN_SOURCE_DIR", os.path.dirname(os.path.dirname(os.path.dirname(__file__))))
BUILD_DIR = os.environ.get("DOVAN_BUILD_DIR", "")
EXPECTED_DIR = os.path.join(SOURCE_DIR, "tests", "cli", "expected")

# A hung program fails its test instead of hanging CTest; no test waits for a time on purpose.
TIMEOUT = 120


def environment(lang="C.UTF-8", **extra):
    """The environment for a run: the language chosen by LANG alone, plus the recording writer's variables."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("LC_ALL", "LC_MESSAGES", "LANG") and not k.startswith("DOVAN_RECORD_")}
    env["LANG"] = lang
    env.update({k: str(v) for k, v in extra.items()})
    return env


class Run:
    def __init__(self, completed):
        self.status = completed.returncode
        self.out = completed.stdout.decode("utf-8", "replace")
        self.err = completed.stderr.decode("utf-8", "replace")

    def __repr__(self):
        return f"status {self.status}\n--- stdout\n{self.out}--- stderr\n{self.err}"


def run_dovan(*arguments, env=None, cwd=None):
    """Runs dovan without a terminal (standard input closed, output captured)."""
    completed = subprocess.run([DOVAN, *arguments], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, env=env or environment(), cwd=cwd, timeout=TIMEOUT)
    return Run(completed)


class ScratchTest(unittest.TestCase):
    """A test with its own scratch folder, removed afterwards."""

    def setUp(self):
        if not DOVAN or not os.path.exists(DOVAN):
            self.skipTest("the dovan program is not built")
        scratch = tempfile.TemporaryDirectory(prefix="dovan-cli-")
        self.addCleanup(scratch.cleanup)
        self.scratch = scratch.name

    def path(self, *parts):
        return os.path.join(self.scratch, *parts)

    def make_store(self, kind, *arguments, name="store"):
        directory = self.path(name)
        os.makedirs(directory, exist_ok=True)
        subprocess.run([TEST_STORES, kind, *map(str, arguments), directory], check=True, timeout=TIMEOUT)
        return directory

    def record_plugin_dir(self):
        """A plugin folder holding the recording writer alone."""
        directory = self.path("record-plugin")
        os.makedirs(directory, exist_ok=True)
        shutil.copy(RECORD_PLUGIN, directory)
        return directory

    def read_log(self, log):
        if not os.path.exists(log):
            return []
        with open(log, encoding="latin-1") as f:
            return [line.split(" ")[0] + (" FAILED" if " FAILED " in line else "") for line in f.read().splitlines()]


MBOX_DATE = re.compile(rb"^(From .*?) (Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)"
                       rb" \d\d \d\d:\d\d:\d\d \d{4}\r$", re.M)
MAILBOX = re.compile(r"^[0-9a-f]{8}\.mb$")
STORAGE = re.compile(r"^([0-9a-f]{8})\.bmf$")


def read_tree(root):
    """Every file under root as {relative path: bytes}, with what depends on the time of the run masked: the
    date of mbox From_ lines, and the numbers in the names of a bmf mailbox (kept relative to the mailbox's)."""
    tree = {}
    mailbox_number = None
    for name in os.listdir(root):
        if MAILBOX.match(name):
            mailbox_number = int(name[:8], 16)
    for directory, _, files in os.walk(root):
        for name in files:
            full = os.path.join(directory, name)
            relative = os.path.relpath(full, root)
            with open(full, "rb") as f:
                data = f.read()
            parts = relative.split(os.sep)
            if mailbox_number is not None and MAILBOX.match(parts[0]):
                parts[0] = "MAILBOX.mb"
                storage = STORAGE.match(parts[-1])
                if storage:
                    parts[-1] = f"t+{int(storage.group(1), 16) - mailbox_number}.bmf"
            if name.endswith(".mbx"):
                data = MBOX_DATE.sub(rb"\1 DATE\r", data)
            tree["/".join(parts)] = data
    return tree


def write_tree(tree, root):
    shutil.rmtree(root, ignore_errors=True)
    for relative, data in tree.items():
        full = os.path.join(root, *relative.split("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)


def tree_differences(actual, expected):
    """A readable list of what differs between two trees; empty when they are equal byte for byte."""
    lines = []
    for missing in sorted(set(expected) - set(actual)):
        lines.append(f"missing: {missing}")
    for extra in sorted(set(actual) - set(expected)):
        lines.append(f"unexpected: {extra}")
    for name in sorted(set(actual) & set(expected)):
        if actual[name] != expected[name]:
            a, e = actual[name], expected[name]
            at = next((i for i in range(min(len(a), len(e))) if a[i] != e[i]), min(len(a), len(e)))
            lines.append(f"differs: {name} at byte {at}: got {a[at:at + 40]!r}, expected {e[at:at + 40]!r}")
    return lines

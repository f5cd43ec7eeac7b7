"""dovan on a terminal: the error question with its default and After All, and Ctrl-C with both answers.

Each test runs the built program in a pseudo-terminal that is its controlling terminal, so that Ctrl-C is a
real interrupt character typed on it. Tests wait for what the program prints, never for a time; the recording
writer's delay only keeps a run going long enough to be interrupted.
"""
import os
import pty
import select
import struct
import sys
import termios
import fcntl
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import DOVAN, TIMEOUT, ScratchTest, environment


class Terminal:
    """One run of dovan in a pseudo-terminal of 100 columns."""

    def __init__(self, arguments, env, columns=100):
        pid, fd = pty.fork()
        if pid == 0:
            try:
                fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
                os.execve(DOVAN, [DOVAN, *arguments], env)
            finally:
                os._exit(127)
        self.pid, self.fd = pid, fd
        self.output = b""
        self.seen = 0  # what expect() has matched up to
        self.status = None

    def _read(self, timeout):
        ready, _, _ = select.select([self.fd], [], [], timeout)
        if not ready:
            raise AssertionError(f"no output for {timeout} s; so far:\n{self.text()}")
        try:
            chunk = os.read(self.fd, 4096)
        except OSError:
            chunk = b""
        self.output += chunk
        return chunk

    def expect(self, text):
        """Waits until `text` appears after what was matched before."""
        wanted = text.encode()
        while wanted not in self.output[self.seen:]:
            if not self._read(TIMEOUT):
                raise AssertionError(f"the program ended without printing {text!r}:\n{self.text()}")
        self.seen = self.output.index(wanted, self.seen) + len(wanted)

    def type(self, keys):
        os.write(self.fd, keys.encode())

    def finish(self):
        """Reads to the end and returns the exit status."""
        while self._read(TIMEOUT):
            pass
        _, status = os.waitpid(self.pid, 0)
        os.close(self.fd)
        self.status = os.waitstatus_to_exitcode(status)
        return self.status

    def text(self):
        return self.output.decode("utf-8", "replace")

    def rest(self):
        return self.output[self.seen:].decode("utf-8", "replace")


class TerminalTest(ScratchTest):
    def start(self, *options, store_kind="pair", store_args=(), fail="", delay=0, lang="C.UTF-8", extra=()):
        store = self.make_store(store_kind, *store_args)
        for name in extra:
            os.symlink(self.path("nowhere.dbx"), os.path.join(store, name))
        self.log = self.path("calls.log")
        env = environment(lang, DOVAN_RECORD_LOG=self.log, DOVAN_RECORD_FAIL=fail, DOVAN_RECORD_DELAY_MS=delay)
        terminal = Terminal(["--plugin-dir", self.record_plugin_dir(), "convert", "--format", "record", *options,
                             store, self.path("out")], env)
        self.addCleanup(lambda: terminal.status is not None or terminal.finish())
        return terminal

    def calls(self):
        return self.read_log(self.log)


class ErrorQuestion(TerminalTest):
    def test_question_offers_the_choices_and_remembers_the_last_answer(self):
        terminal = self.start(fail="NewMessage:2,NewMessage:4")
        terminal.expect("Conversion Error\r\nA following error ocurreed while processing folder A\r\n"
                        f"    {os.strerror(5)}\r\nPlease select what to do.\r\n"
                        "  r  Retry  (default)\r\n  m  Skip current Mail and continue\r\n"
                        "  f  Skip current Folder and continue\r\n  p  Abort Processing\r\n")
        terminal.expect("> ")
        terminal.type("x\r")
        terminal.expect("Please answer with one of the letters shown.\r\n> ")
        terminal.type("m\r")
        # The second error opens with the answer given last as its default; Enter alone takes it.
        terminal.expect("folder B\r\n")
        terminal.expect("  m  Skip current Mail and continue  (default)\r\n")
        terminal.expect("> ")
        terminal.type("\r")
        terminal.expect("4 message(s) were converted.\r\n")
        terminal.expect("Skipped:\r\n  A: message(s) 2\r\n  B: message(s) 1\r\n")
        self.assertEqual(terminal.finish(), 0, terminal.text())

    def test_after_all_answers_every_later_error(self):
        terminal = self.start(fail="NewMessage:2,NewMessage:3,NewMessage:5")
        terminal.expect("> ")
        terminal.type("ma\r")
        terminal.expect("3 message(s) were converted.\r\n")
        terminal.expect("Skipped:\r\n  A: message(s) 2-3\r\n  B: message(s) 2\r\n")
        self.assertEqual(terminal.finish(), 0, terminal.text())
        self.assertEqual(terminal.text().count("Conversion Error"), 1, "asked once only")

    def test_after_all_is_refused_for_retry_and_retry_tries_again(self):
        terminal = self.start(fail="AppendBuffer:2")
        terminal.expect("> ")
        terminal.type("ra\r")
        terminal.expect("Please answer with one of the letters shown.\r\n> ")
        terminal.type("r\r")
        terminal.expect("6 message(s) were converted.\r\n")
        self.assertEqual(terminal.finish(), 0, terminal.text())
        calls = self.calls()
        failed = calls.index("AppendBuffer FAILED")
        self.assertEqual(calls[failed:failed + 4], ["AppendBuffer FAILED", "FinishMessage", "NewMessage",
                                                   "AppendBuffer"])

    def test_file_level_error_offers_no_skip_mail(self):
        terminal = self.start(extra=["Broken.dbx"])
        terminal.expect("folder Broken\r\n")
        terminal.expect("  r  Retry  (default)\r\n  f  Skip current Folder and continue\r\n  p  Abort Processing\r\n")
        terminal.expect("> ")
        terminal.type("m\r")
        terminal.expect("Please answer with one of the letters shown.\r\n> ")
        terminal.type("f\r")
        terminal.expect("6 message(s) were converted.\r\n")
        terminal.expect("Skipped:\r\n  Broken: the rest of the folder\r\n")
        self.assertEqual(terminal.finish(), 0, terminal.text())

    def test_ctrl_c_at_the_question_aborts_processing(self):
        terminal = self.start(fail="NewMessage:2")
        terminal.expect("> ")
        terminal.type("\x03")
        terminal.expect("The conversion was stopped.\r\n")
        self.assertEqual(terminal.finish(), 3, terminal.text())
        self.assertNotIn("converted", terminal.text())
        self.assertEqual(self.calls()[-2:], ["FinishConvert", "FinishFolder"])


class Interrupt(TerminalTest):
    MESSAGES = 100

    def start_slow(self, lang="C.UTF-8"):
        terminal = self.start(store_kind="many", store_args=(self.MESSAGES,), delay=30, lang=lang)
        # The live line, redrawn in place: a carriage return, the bar, erase to the end of the line. Once the bar
        # has filled a little, messages have been converted for sure.
        terminal.expect("\r1 / 1  Slow  [#")
        terminal.expect("%\x1b[K")
        return terminal

    def test_no_lets_the_run_complete(self):
        terminal = self.start_slow()
        terminal.type("\x03")
        terminal.expect("Are you sure you want to abort conversion? [y/N] ")
        terminal.type("\r")
        terminal.expect(f"{self.MESSAGES} message(s) were converted.\r\n")
        self.assertEqual(terminal.finish(), 0, terminal.text())
        self.assertEqual(self.calls().count("NewMessage"), self.MESSAGES)

    def test_yes_stops_before_the_next_message(self):
        terminal = self.start_slow()
        terminal.type("\x03")
        terminal.expect("Are you sure you want to abort conversion? [y/N] ")
        terminal.type("y\r")
        terminal.expect("The conversion was stopped.\r\n")
        self.assertEqual(terminal.finish(), 3, terminal.text())
        calls = self.calls()
        self.assertLess(calls.count("NewMessage"), self.MESSAGES)
        self.assertEqual(calls[-3:], ["FinishMessage", "FinishConvert", "FinishFolder"])
        self.assertNotIn("converted", terminal.text())

    def test_second_ctrl_c_means_yes(self):
        terminal = self.start_slow()
        terminal.type("\x03")
        terminal.expect("Are you sure you want to abort conversion? [y/N] ")
        terminal.type("\x03")
        terminal.expect("The conversion was stopped.\r\n")
        self.assertEqual(terminal.finish(), 3, terminal.text())

    def test_japanese_question(self):
        terminal = self.start_slow(lang="ja_JP.UTF-8")
        terminal.type("\x03")
        terminal.expect("本当に中止してよろしいですか。 [y/N] ")
        terminal.type("n\r")
        terminal.expect(f"{self.MESSAGES} 個のメッセージを変換しました。\r\n")
        self.assertEqual(terminal.finish(), 0, terminal.text())


if __name__ == "__main__":
    unittest.main()

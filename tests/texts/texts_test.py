#!/usr/bin/env python3
"""Tests of the text tools: the access-key check of the dialogs and the generator of the string tables."""
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "texts"))

import check_access_keys  # noqa: E402
import generate_texts  # noqa: E402

SCRIPT = """\
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
STRINGTABLE
BEGIN
    1 "&Not a dialog"
END
kIdOne DIALOG 0, 0, 10, 10
CAPTION "&Caption is no control"
BEGIN
    LTEXT "&Source:", -1, 7, 9, 26, 8
    PUSHBUTTON "&Settings...", 2, 212, 23, 38, 14
    CONTROL "Tom && &Jerry", 3, "Button", BS_AUTORADIOBUTTON, 1, 1, 1, 1
    CONTROL "&jump", 4, "Button", BS_AUTORADIOBUTTON, 1, 1, 1, 1
    LTEXT "&Plain", -1, 1, 1, 1, 1, SS_NOPREFIX
    PUSHBUTTON "&Proceed", 5, 1, 1, 1, 1
    CONTROL "", 6, "Static", SS_ICON, 1, 1, 1, 1
END
LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT
kIdOne DIALOG 0, 0, 10, 10
BEGIN
    LTEXT "変換元(&S):", -1, 7, 9, 31, 8
    PUSHBUTTON "参照(&B)...", 2, 212, 7, 36, 14
END
"""


class AccessKeyTest(unittest.TestCase):
    def test_access_key_of_a_text(self):
        cases = [("&Source:", "S"), ("B&rowse...", "R"), ("変換元(&S):", "S"), ("Tom && Jerry", None),
                 ("Tom && &Jerry", "J"), ("OK", None), ("ends with &", None), ("&&&x", "X")]
        for text, key in cases:
            self.assertEqual(check_access_keys.access_key(text), key, text)

    def test_clashes_per_dialog_and_language(self):
        found = check_access_keys.clashes("a.rc", SCRIPT.splitlines())
        # "&jump" and "&Jerry" clash whatever the case; "&Plain" has no key (SS_NOPREFIX); the caption and the
        # string table are no controls; the Japanese dialog is another dialog.
        self.assertEqual(found, {
            ("a.rc", "English", "kIdOne", "S"): ("&Source:", "&Settings..."),
            ("a.rc", "English", "kIdOne", "J"): ("Tom && &Jerry", "&jump"),
        })

    def test_known_clashes_pass_and_new_or_stale_ones_fail(self):
        found = {("a.rc", "English", "kIdOne", "S"): ("&Source:", "&Settings...")}
        listed = ['a.rc  English  kIdOne  S  "&Source:" "&Settings..."']
        cases = [
            (listed, 0),
            ([], 1),  # a new clash
            (listed + ['a.rc  Japanese  kIdOne  S  "変換元(&S):" "設定(&S)..."'], 1),  # one gone
            (['a.rc  English  kIdOne  S  "&Source:"'], 2),  # a third control joined a known clash
        ]
        for lines, problems in cases:
            known = check_access_keys.read_known(["# comment", ""] + lines)
            self.assertEqual(len(check_access_keys.compare(found, known)), problems, lines)

    def test_the_known_list_reads_doubled_quotes(self):
        known = check_access_keys.read_known(['b.rc English kIdTwo A "Say ""&Ah""" "&Abort"'])
        self.assertEqual(known, {("b.rc", "English", "kIdTwo", "A"): ('Say "&Ah"', "&Abort")})
        with self.assertRaises(ValueError):
            check_access_keys.read_known(["b.rc English kIdTwo"])


class GenerateTextsTest(unittest.TestCase):
    def test_rows_and_their_forms(self):
        rows = generate_texts.read_table([
            "# comment",
            r'1  kFirst  "Say \"hi\"\r\n"  "「こんにちは」\\"',
            "",
            '12 kSecond "%d message(s)"  "%d 個"',
        ])
        self.assertEqual(rows, [(1, "kFirst", 'Say "hi"\r\n', "「こんにちは」\\"),
                                (12, "kSecond", "%d message(s)", "%d 個")])
        files = generate_texts.outputs("demo", rows, "engine::DemoId")
        self.assertIn('{1, "Say \\"hi\\"\\r\\n", "「こんにちは」\\\\"},\n', files["demo_strings.inc"].decode("utf-8"))
        english = files["demo_strings_en.rc"].decode("utf-8")
        self.assertIn('#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n    1 "Say ""hi""\\r\\n"\n', english)
        japanese = files["demo_strings_ja.rc"]
        self.assertIn("#pragma code_page(932)\n".encode(), japanese)
        self.assertIn('    12 "%d 個"\n'.encode("cp932"), japanese)
        self.assertTrue(japanese.endswith(b"END\n#pragma code_page(65001)\n"))
        ids = files["demo_ids.h"].decode("utf-8")
        self.assertIn("namespace engine {\n\nenum DemoId {\n    kFirst = 1,\n    kSecond = 12,\n};\n", ids)

    def test_literals(self):
        cases = [("a\\b", '"a\\\\b"', '"a\\\\b"'), ('"', '"\\""', '""""'), ("\t", '"\\t"', '"\\t"'),
                 ("\x01", '"\\001"', None)]
        for text, cpp, rc in cases:
            self.assertEqual(generate_texts.cpp_literal(text), cpp, repr(text))
            if rc is None:
                with self.assertRaises(generate_texts.TableError):
                    generate_texts.rc_literal(text)
            else:
                self.assertEqual(generate_texts.rc_literal(text), rc, repr(text))

    def test_bad_tables_are_refused(self):
        cases = [
            ['1 kA "a" "b"', '1 kB "c" "d"'],  # the same id twice
            ['1 kA "a" "b"', '2 kA "c" "d"'],  # the same name twice
            ['0 kA "a" "b"'],  # no such string id
            ['1 kA "a"'],  # no Japanese text
            ['1 kA "a\\x" "b"'],  # an unknown escape
        ]
        for lines in cases:
            with self.assertRaises(generate_texts.TableError, msg=lines):
                generate_texts.read_table(lines)

    def test_code_page_932_texts_the_resource_compiler_reads_as_written(self):
        # "表" and "ソ" end in the byte 0x5C, a backslash to the resource compiler: harmless before a space or
        # another double-byte character, an escape before other ASCII (the closing quote included).
        cases = [("表示", True), ("ソフト", True), ("表 1", True), ("表1", False), ("一覧表", False),
                 ("～①", True), ("\U0001F600", False)]
        for text, accepted in cases:
            rows = [(1, "kA", "a", text)]
            if accepted:
                generate_texts.outputs("demo", rows)
            else:
                with self.assertRaises(generate_texts.TableError, msg=text):
                    generate_texts.outputs("demo", rows)


if __name__ == "__main__":
    unittest.main()

#!/usr/bin/env python3
"""Writes the forms a text table takes in the build: C++ table rows, the .rc string tables, the ids header.

    generate_texts.py TABLE OUTDIR NAME [--enum NAMESPACE::ENUM]

TABLE (texts/NAME.texts) holds one text a line: string id, name, English, Japanese, the texts quoted with the
escapes \\r \\n \\t \\" \\\\. Written into OUTDIR:
    NAME_strings.inc     rows {id, "English", "Japanese"}, for a table of {id, english, japanese} records (UTF-8)
    NAME_strings_en.rc   the English STRINGTABLE (UTF-8, code page 65001)
    NAME_strings_ja.rc   the Japanese STRINGTABLE in code page 932, the code page of the Japanese resources
    NAME_ids.h           with --enum: the names as an enum of the string ids
Each .rc file sets its code page and leaves 65001 behind, the code page of the scripts that include it.
"""
import argparse
import os
import re
import sys

ESCAPES = {"r": "\r", "n": "\n", "t": "\t", '"': '"', "\\": "\\"}
LINE = re.compile(r'\s*(\d+)\s+([A-Za-z_]\w*)\s+("(?:[^"\\]|\\.)*")\s+("(?:[^"\\]|\\.)*")\s*$')


class TableError(Exception):
    pass


def unquote(literal, where):
    text = []
    i = 1
    while i < len(literal) - 1:
        char = literal[i]
        if char == "\\":
            code = literal[i + 1]
            if code not in ESCAPES:
                raise TableError(f"{where}: unknown escape \\{code}")
            text.append(ESCAPES[code])
            i += 2
        else:
            text.append(char)
            i += 1
    return "".join(text)


def read_table(lines, source="table"):
    """The table's rows as (id, name, english, japanese), in the order written."""
    rows = []
    ids = set()
    names = set()
    for number, line in enumerate(lines, 1):
        where = f"{source}:{number}"
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        match = LINE.match(line)
        if not match:
            raise TableError(f"{where}: expected: id name \"English\" \"Japanese\"")
        string_id, name = int(match.group(1)), match.group(2)
        if not 1 <= string_id <= 65535:
            raise TableError(f"{where}: string id {string_id} is not between 1 and 65535")
        if string_id in ids or name in names:
            raise TableError(f"{where}: string id {string_id} or name {name} appears twice")
        ids.add(string_id)
        names.add(name)
        rows.append((string_id, name, unquote(match.group(3), where), unquote(match.group(4), where)))
    return rows


LINE_ESCAPES = {"\\": "\\\\", "\r": "\\r", "\n": "\\n", "\t": "\\t"}


def literal(text, quote, control):
    """The text quoted: '"' written as `quote`, backslashes and line ends escaped, other control characters
    passed to `control`."""
    out = []
    for char in text:
        if char == '"':
            out.append(quote)
        elif char in LINE_ESCAPES:
            out.append(LINE_ESCAPES[char])
        elif ord(char) < 0x20:
            out.append(control(char))
        else:
            out.append(char)
    return '"' + "".join(out) + '"'


def cpp_literal(text):
    return literal(text, '\\"', lambda char: f"\\{ord(char):03o}")


def no_control_in_rc(char):
    raise TableError(f"control character {ord(char):#x} cannot be written to a resource script")


def rc_literal(text):
    """The text as a resource-script string: quotes doubled, line ends and backslashes escaped."""
    return literal(text, '""', no_control_in_rc)


def check_cp932(line, where):
    """Encodes one script line in code page 932, refusing a backslash trail byte that would start an escape.

    The resource compiler reads the bytes of a string one by one: the second byte of a character such as
    "表" (0x95 0x5C) is a backslash to it. Before a space or another double-byte character it is left as written
    (with a warning); before an ASCII letter, digit or mark (the closing quote too) it would change the text.
    """
    try:
        data = line.encode("cp932")
    except UnicodeEncodeError as error:
        raise TableError(f"{where}: {error.object[error.start:error.end]!r} has no code page 932 form") from None
    i = 0
    while i < len(data):
        byte = data[i]
        if 0x81 <= byte <= 0x9F or 0xE0 <= byte <= 0xFC:
            if data[i + 1] == 0x5C and i + 2 < len(data) and data[i + 2] < 0x80 and data[i + 2] != 0x20:
                char = data[i:i + 2].decode("cp932")
                raise TableError(f"{where}: \"{char}\" before an ASCII character reads as an escape in the resource"
                                 " script; put a space or a double-byte character after it")
            i += 2
        else:
            i += 1
    return data


def header(table_name, comment="//"):
    return f"{comment} Generated from texts/{table_name}.texts by texts/generate_texts.py: edit the table, not this file.\n"


def strings_inc(name, rows):
    lines = [header(name)]
    for string_id, _, english, japanese in rows:
        lines.append(f"{{{string_id}, {cpp_literal(english)}, {cpp_literal(japanese)}}},\n")
    return "".join(lines).encode("utf-8")


def string_table_rc(name, rows, japanese):
    body = ["STRINGTABLE\n", "BEGIN\n"]
    for string_id, _, english, japanese_text in rows:
        body.append(f"    {string_id} {rc_literal(japanese_text if japanese else english)}\n")
    body.append("END\n")
    if not japanese:
        return (header(name) + "#pragma code_page(65001)\n" + "".join(body)).encode("utf-8")
    data = (header(name) + "#pragma code_page(932)\n").encode("ascii")
    for number, line in enumerate(body, 1):
        data += check_cp932(line, f"{name}.texts, Japanese string table line {number}")
    return data + b"#pragma code_page(65001)\n"


def ids_header(name, rows, enum):
    namespace, _, enum_name = enum.rpartition("::")
    lines = [header(name), "#pragma once\n\n"]
    if namespace:
        lines.append(f"namespace {namespace} {{\n\n")
    lines.append(f"enum {enum_name} {{\n")
    for string_id, identifier, _, _ in rows:
        lines.append(f"    {identifier} = {string_id},\n")
    lines.append("};\n")
    if namespace:
        lines.append(f"\n}}  // namespace {namespace}\n")
    return "".join(lines).encode("utf-8")


def outputs(name, rows, enum=None):
    """The files to write, as {file name: bytes}."""
    files = {
        f"{name}_strings.inc": strings_inc(name, rows),
        f"{name}_strings_en.rc": string_table_rc(name, rows, japanese=False),
        f"{name}_strings_ja.rc": string_table_rc(name, rows, japanese=True),
    }
    if enum:
        files[f"{name}_ids.h"] = ids_header(name, rows, enum)
    return files


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("table")
    parser.add_argument("outdir")
    parser.add_argument("name")
    parser.add_argument("--enum", help="NAMESPACE::ENUM for NAME_ids.h")
    args = parser.parse_args(argv)
    try:
        with open(args.table, encoding="utf-8") as table:
            rows = read_table(table.read().splitlines(), os.path.basename(args.table))
        files = outputs(args.name, rows, args.enum)
    except TableError as error:
        print(f"generate_texts.py: {error}", file=sys.stderr)
        return 1
    os.makedirs(args.outdir, exist_ok=True)
    for file_name, data in files.items():
        with open(os.path.join(args.outdir, file_name), "wb") as out:
            out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
"""Tests of the catalog build tools: appending the table and checking catalog sources."""
import io
import os
import struct
import sys
import tempfile
import unittest
from contextlib import redirect_stdout, redirect_stderr

sys.dont_write_bytecode = True  # no cache files in the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "i18n", "tools"))
import append_catalogs  # noqa: E402
import check_catalogs  # noqa: E402

MARKER = b"6637DB2E-62E1-4A60-AC19-C23867046A89"


class AppendCatalogsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.program = os.path.join(self.dir.name, "program.exe")
        self.image = b"MZ" + b"\x00" * 100 + MARKER + b"\x00" * 8 + b"rest of the image" * 10
        self.write(self.program, self.image)
        self.de = self.write(os.path.join(self.dir.name, "de.mo"), b"German catalog bytes")
        self.ru = self.write(os.path.join(self.dir.name, "ru.mo"), b"Russian catalog, longer" * 3)

    def tearDown(self):
        self.dir.cleanup()

    @staticmethod
    def write(path, data):
        with open(path, "wb") as f:
            f.write(data)
        return path

    def read(self):
        with open(self.program, "rb") as f:
            return f.read()

    def run_tool(self, *args):
        err = io.StringIO()
        with redirect_stderr(err), redirect_stdout(io.StringIO()):
            code = append_catalogs.main(list(args))
        return code, err.getvalue()

    def test_layout(self):
        code, _ = self.run_tool("--program", self.program, "--catalog", "de=" + self.de,
                                "--catalog", "ru=" + self.ru)
        self.assertEqual(code, 0)
        data = self.read()
        field = self.image.index(MARKER) + len(MARKER)
        (first,) = struct.unpack_from("<Q", data, field)
        self.assertEqual(data[:field], self.image[:field])
        self.assertEqual(data[field + 8:len(self.image)], self.image[field + 8:])
        de_size, ru_size = os.path.getsize(self.de), os.path.getsize(self.ru)
        # The catalogs, then two entries 256 bytes apart, then the closing zero.
        self.assertEqual(first, len(self.image) + de_size + ru_size)
        self.assertEqual(len(data), first + 2 * 256 + 8)
        self.assertEqual(data[-8:], bytes(8))
        expected = [("locale\\de\\LC_MESSAGES\\default.mo", len(self.image), de_size),
                    ("locale\\ru\\LC_MESSAGES\\default.mo", len(self.image) + de_size, ru_size)]
        for i, (name, offset, size) in enumerate(expected):
            at = first + 256 * i
            self.assertEqual(struct.unpack_from("<QQQ", data, at), (at + 256, offset, size))
            self.assertEqual(data[at + 24:at + 256], name.encode().ljust(232, b" "))
        self.assertEqual(data[len(self.image):len(self.image) + de_size], b"German catalog bytes")

    def test_running_again_replaces_the_table(self):
        args = ["--program", self.program,
                "--catalog", "de=" + self.de, "--catalog", "ru=" + self.ru]
        self.assertEqual(self.run_tool(*args)[0], 0)
        once = self.read()
        self.assertEqual(self.run_tool(*args)[0], 0)
        self.assertEqual(self.read(), once)
        code, _ = self.run_tool("--program", self.program, "--catalog", "ru=" + self.ru)
        self.assertEqual(code, 0)
        data = self.read()
        (first,) = struct.unpack_from("<Q", data, self.image.index(MARKER) + len(MARKER))
        self.assertEqual(first, len(self.image) + os.path.getsize(self.ru))

    def test_long_names_widen_their_entry(self):
        blob = b"x" * 10
        data, first = append_catalogs.build_table(b"image", [("n" * 300, blob), ("short", blob)], 5)
        (next_entry,) = struct.unpack_from("<Q", data, first)
        self.assertEqual(next_entry, first + 24 + 300)
        self.assertEqual(append_catalogs.read_table(bytes(data), first),
                         [("n" * 300, 5, 10), ("short", 15, 10)])

    def test_marker_must_be_there_once(self):
        self.write(self.program, b"no marker here")
        code, err = self.run_tool("--program", self.program, "--catalog", "de=" + self.de)
        self.assertEqual(code, 1)
        self.assertIn("no catalog table marker", err)
        self.write(self.program, MARKER + bytes(8) + MARKER + bytes(8))
        code, err = self.run_tool("--program", self.program, "--catalog", "de=" + self.de)
        self.assertEqual(code, 1)
        self.assertIn("more than once", err)

    def test_bad_arguments(self):
        self.assertEqual(self.run_tool("--program", self.program, "--catalog", "de")[0], 1)
        self.assertEqual(self.run_tool("--program", self.program, "--catalog", "de=" + self.de,
                                       "--catalog", "DE=" + self.ru)[0], 1)
        self.assertEqual(self.read(), self.image)


class CheckCatalogsTest(unittest.TestCase):
    HEADER = ('msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n\n')

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def check(self, *bodies, header=HEADER):
        paths = []
        for i, body in enumerate(bodies):
            path = os.path.join(self.dir.name, "c%d.po" % i)
            with open(path, "w", encoding="utf-8") as f:
                f.write(header + body)
            paths.append(path)
        out = io.StringIO()
        with redirect_stdout(out):
            code = check_catalogs.main(paths)
        return code, out.getvalue()

    def test_complete_catalogs_pass(self):
        body = ('msgid "&File"\nmsgstr "&Datei"\n\n'
                'msgid ""\n"Two\\n"\n"lines?"\nmsgstr "Zwei\\nZeilen?"\n\n'
                'msgid " Padded "\nmsgstr " Gepolstert "\n\n'
                'msgctxt "menu"\nmsgid "Open"\nmsgstr "Öffnen"\n')
        code, out = self.check(body, body.replace("Datei", "Файл"))
        self.assertEqual(code, 0, out)

    def test_each_problem_is_found(self):
        cases = {
            'msgid "A"\nmsgstr ""\n': "has no translation",
            '#, fuzzy\nmsgid "A"\nmsgstr "B"\n': "fuzzy",
            'msgid "A"\nmsgid_plural "As"\nmsgstr[0] "B"\nmsgstr[1] ""\n': "has no translation",
            'msgid "A:"\nmsgstr "B"\n': "closing punctuation",
            'msgid "Add..."\nmsgstr "Hinzu"\n': "closing punctuation",
            'msgid " A"\nmsgstr "B"\n': "blanks",
            'msgid "&A"\nmsgstr "B"\n': "accelerators",
            'msgid "A\\nB"\nmsgstr "C D"\n': "line breaks",
            'msgid "A"\nmsgstr "B"\n\nmsgid "A"\nmsgstr "C"\n': "appears twice",
        }
        for body, expected in cases.items():
            code, out = self.check(body)
            self.assertEqual(code, 1, body)
            self.assertIn(expected, out, body)

    def test_charset_must_be_utf8(self):
        latin1 = 'msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=ISO-8859-1\\n"\n\n'
        code, out = self.check('msgid "A"\nmsgstr "B"\n', header=latin1)
        self.assertEqual(code, 1)
        self.assertIn("charset=UTF-8", out)
        code, out = self.check('msgid "A"\nmsgstr "B"\n', header="")
        self.assertIn("no header", out)

    def test_catalogs_hold_the_same_messages(self):
        code, out = self.check('msgid "A"\nmsgstr "B"\n', 'msgid "C"\nmsgstr "D"\n')
        self.assertEqual(code, 1)
        self.assertIn("'A' is missing", out)
        self.assertIn("'C' is missing", out)


if __name__ == "__main__":
    unittest.main()

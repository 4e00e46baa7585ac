#!/usr/bin/env python3
"""Checks that message catalog sources are complete and fit to ship.

Each catalog declares charset=UTF-8, translates every message (no empty translation, no fuzzy
entry), and keeps the shape of each English text: its leading and trailing blanks, its line
breaks, its menu accelerators and its closing punctuation. Given several catalogs, all of them
hold the same messages.
"""
import re
import sys

ESCAPES = {"n": "\n", "t": "\t", "r": "\r", '"': '"', "\\": "\\", "a": "\a", "b": "\b",
           "f": "\f", "v": "\v"}


class Entry:
    def __init__(self, line):
        self.line = line
        self.flags = set()
        self.fields = {}  # msgctxt, msgid, msgid_plural, msgstr, msgstr[n]


def unquote(text, where):
    if len(text) < 2 or not text.startswith('"') or not text.endswith('"'):
        raise ValueError("%s: a string is not quoted" % where)
    body = text[1:-1]
    return re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(0)), body)


def parse_po(path):
    """The entries of a .po file, obsolete ones left out."""
    with open(path, "rb") as f:
        text = f.read().decode("utf-8")
    entries = []
    entry = None
    field = None
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        where = "%s:%d" % (path, number)
        if not line or line.startswith("#~"):
            field = None
            continue
        if line.startswith("#"):
            if entry is None or "msgid" in entry.fields:
                entry = Entry(number)
                entries.append(entry)
            if line.startswith("#,"):
                entry.flags.update(flag.strip() for flag in line[2:].split(","))
            continue
        if line.startswith('"'):
            if entry is None or field is None:
                raise ValueError("%s: a continuation line without a keyword" % where)
            entry.fields[field] += unquote(line, where)
            continue
        keyword, _, value = line.partition(" ")
        if keyword in ("msgctxt", "msgid") and (entry is None or "msgid" in entry.fields):
            entry = Entry(number)
            entries.append(entry)
        if entry is None or not re.fullmatch(r"msgctxt|msgid|msgid_plural|msgstr(\[\d+\])?",
                                             keyword):
            raise ValueError("%s: unexpected line" % where)
        field = keyword
        entry.fields[field] = unquote(value.strip(), where)
    return [e for e in entries if "msgid" in e.fields]


def shape(text):
    """What a translation must keep of its English text."""
    lead = len(text) - len(text.lstrip(" "))
    trail = len(text) - len(text.rstrip(" "))
    closing = re.search(r"[.:!?]*$", text.rstrip(" ")).group(0)
    return (lead, trail, text.count("\n"), text.replace("&&", "").count("&"), closing)


def check_catalog(path):
    """The problems of one catalog and its set of message ids."""
    problems = []
    entries = parse_po(path)
    ids = set()
    header = None
    for e in entries:
        where = "%s:%d" % (path, e.line)
        key = (e.fields.get("msgctxt"), e.fields["msgid"])
        if key in ids:
            problems.append("%s: %r appears twice" % (where, e.fields["msgid"]))
        if "fuzzy" in e.flags:
            problems.append("%s: %r is marked fuzzy" % (where, e.fields["msgid"]))
        translations = [v for k, v in e.fields.items() if k.startswith("msgstr")]
        if not translations or any(t == "" for t in translations):
            problems.append("%s: %r has no translation" % (where, e.fields["msgid"]))
        if e.fields["msgid"] == "":
            header = e.fields.get("msgstr", "")
            continue
        ids.add(key)
        for t in translations:
            if t and shape(t) != shape(e.fields["msgid"]):
                problems.append("%s: the translation of %r does not keep its blanks, line breaks, "
                                "accelerators or closing punctuation" % (where, e.fields["msgid"]))
    if header is None:
        problems.append("%s: the catalog has no header" % path)
    else:
        content_type = re.search(r"^Content-Type:(.*)$", header, re.IGNORECASE | re.MULTILINE)
        declared = content_type.group(1).upper().replace(" ", "") if content_type else ""
        if "CHARSET=UTF-8" not in declared:
            problems.append("%s: the catalog does not declare charset=UTF-8" % path)
    return problems, ids


def main(paths):
    problems = []
    catalogs = {}
    for path in paths:
        try:
            found, ids = check_catalog(path)
        except (OSError, UnicodeDecodeError, ValueError) as e:
            found, ids = ["%s: %s" % (path, e)], set()
        problems += found
        catalogs[path] = ids
    every = set().union(*catalogs.values()) if catalogs else set()
    for path, ids in catalogs.items():
        for _, msgid in sorted(every - ids, key=str):
            problems.append("%s: %r is missing" % (path, msgid))
    for p in problems:
        print(p)
    if problems:
        print("%d problem(s) in %d catalog(s)" % (len(problems), len(paths)))
        return 1
    print("%d catalog(s) complete, %d messages each" % (len(paths), len(every)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/python3
"""Exports every fixture table to JSON and JSON Lines with verimo-cli, reads
both back with Python's json module and jq, and compares every value with
its type against the table as `verimo-cli dump --hex-blobs` shows it and,
where pxlib reads the table, against pxlib's values (numbers as decimals,
dates, times and timestamps to the millisecond).

With PXLIB_MAKE, tables pxlib writes join the sweep: every fixed-size
type, values at the edges, texts with every character JSON escapes, and an
empty table.

Usage: json_read_back.py VERIMO_CLI FIXTURES_DIR [PXLIB_DUMP [PXLIB_MAKE]]
Exits 77 when the fixtures are absent, 1 on any difference.
"""
import base64
import datetime
import decimal
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

D = decimal.Decimal
TEXT_TYPES = {"ftString", "ftMemo", "ftFmtMemo", "ftWideMemo", "ftWideString", "ftFixedChar"}
BINARY_TYPES = {"ftBytes", "ftVarBytes", "ftBlob", "ftGraphic", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary"}
INTEGER_TYPES = {"ftSmallint", "ftInteger", "ftWord", "ftAutoInc", "ftLargeint"}
MS_PER_DAY = 86400000


def run(*args):
    return subprocess.run(list(args), capture_output=True, check=False)


def field_types(cli, table):
    """(type code, field type) per field, from `verimo-cli info`."""
    out = run(cli, "info", *password(table), str(table)).stdout.decode()
    fields, started = [], False
    for line in out.splitlines():
        if line.lstrip().startswith("#  Name"):
            started = True
            continue
        tokens = line.split()
        if started and len(tokens) >= 4 and tokens[-1].startswith("ft"):
            fields.append((tokens[-3][0], tokens[-1]))
    return fields


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"t": "\t", "r": "\r", "n": "\n", "\\": "\\"}[text[i + 1]])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def password(table):
    """The encrypted fixtures were made with the password "123"."""
    return ["--password", "123"] if table.parent.name == "encrypt" else []


def verimo_dump(cli, table):
    lines = run(cli, "dump", "--hex-blobs", *password(table), str(table)).stdout.decode().split("\n")
    # A record of blanks in a table of one field is an empty line.
    return [line.split("\t") for line in lines[1:-1]]


def pxlib_dump(pxlib, table):
    if not pxlib:
        return None
    result = run(pxlib, str(table))
    if result.returncode != 0:
        return None
    lines = result.stdout.decode("utf-8", "replace").split("\n")
    return [line.split("\t") for line in lines if line and not line.startswith("FIELD ")]


def decimal_or_none(text):
    """pxlib's text of a BCD value, when it is a number (pxlib garbles some
    with many decimals)."""
    try:
        return D(text) if text not in (None, "\\N", "ERR") else None
    except decimal.InvalidOperation:
        return None


def ms_of_day(value):
    return ((value.hour * 60 + value.minute) * 60 + value.second) * 1000 + value.microsecond // 1000


def check_value(code, ftype, got, want, pxlib_cell, where, errors):
    def fail(message):
        errors.append("%s: %s (json %r, dump %r, pxlib %r)" % (where, message, got, want, pxlib_cell))

    if want == "" or want.startswith("<date out of range"):
        if got is not None:
            fail("expected null")
        return
    if got is None:
        fail("null for a value")
        return
    if ftype in TEXT_TYPES:
        if not isinstance(got, str) or got != unescape(want):
            fail("text differs")
    elif ftype in BINARY_TYPES:
        if not isinstance(got, str) or base64.b64decode(got, validate=True) != bytes.fromhex(want):
            fail("bytes differ")
    elif ftype in INTEGER_TYPES:
        if type(got) is not int or got != int(want):
            fail("integer differs")
    elif ftype in ("ftFloat", "ftCurrency"):
        # The shortest decimal text of the same double, written as a float.
        if not isinstance(got, D) or got != D(repr(float(want))) or float(got) != float(want):
            fail("number differs")
        if pxlib_cell not in (None, "\\N", "ERR") and float(got) != float(pxlib_cell):
            fail("number differs from pxlib's")
    elif ftype == "ftBCD":
        if not isinstance(got, (int, D)):
            fail("not a number")
        elif decimal_or_none(pxlib_cell) is not None:
            if D(got) != decimal_or_none(pxlib_cell):
                fail("decimal differs from pxlib's")
        elif float(got) != float(want):
            fail("decimal differs")
    elif ftype == "ftBoolean":
        if got is not (want == "True"):
            fail("Boolean differs")
    elif ftype == "ftDate":
        day = datetime.date.fromisoformat(got)
        if day != datetime.date.fromisoformat(want):
            fail("date differs")
        if pxlib_cell not in (None, "\\N") and day.toordinal() != int(pxlib_cell):
            fail("date differs from pxlib's")
    elif ftype == "ftTime":
        time = datetime.time.fromisoformat(got)
        if time.replace(microsecond=0) != datetime.time.fromisoformat(want).replace(microsecond=0):
            fail("time differs")
        if pxlib_cell not in (None, "\\N") and ms_of_day(time) != int(pxlib_cell):
            fail("time differs from pxlib's")
    elif ftype in ("ftTimeStamp", "ftDateTime"):
        stamp = datetime.datetime.fromisoformat(got)
        if "T" not in got or stamp.replace(microsecond=0) != datetime.datetime.fromisoformat(want).replace(microsecond=0):
            fail("timestamp differs")
        if pxlib_cell not in (None, "\\N"):
            if stamp.toordinal() * MS_PER_DAY + ms_of_day(stamp) != int(pxlib_cell):
                fail("timestamp differs from pxlib's")
    else:
        fail("unexpected field type " + ftype)


def check_table(cli, pxlib, table, work, errors):
    name = table.stem
    array_path, lines_path = work / (name + ".json"), work / (name + ".ndjson")
    for path in (array_path, lines_path):
        result = run(cli, "export", "--quiet", *password(table), str(table), str(path))
        if result.returncode != 0:
            errors.append("%s: export to %s failed: %s" % (table, path.suffix, result.stderr.decode()))
            return 0
    raw = array_path.read_bytes()
    array = json.loads(raw.decode("utf-8"), parse_float=D)
    lines = [json.loads(line, parse_float=D) for line in lines_path.read_text("utf-8").split("\n") if line]
    if lines != array:
        errors.append("%s: JSON Lines and JSON differ" % table)
    for path in (array_path, lines_path):
        if path.stat().st_size and run("jq", "-e", ".", str(path)).returncode != 0:
            errors.append("%s: jq rejects it" % path.name)

    fields = field_types(cli, table)
    expected = verimo_dump(cli, table)
    independent = None if password(table) else pxlib_dump(pxlib, table)
    if independent is not None and len(independent) != len(expected):
        independent = None
    if len(array) != len(expected):
        errors.append("%s: %d records, the table has %d" % (table, len(array), len(expected)))
        return 0
    for number, (record, want) in enumerate(zip(array, expected)):
        values = list(record.values())
        if len(values) != len(fields):
            errors.append("%s record %d: %d keys for %d fields" % (table, number, len(values), len(fields)))
            continue
        for i, (code, ftype) in enumerate(fields):
            cell = independent[number][i] if independent is not None and i < len(independent[number]) else None
            check_value(code, ftype, values[i], want[i], cell, "%s record %d field %d" % (table.name, number, i),
                        errors)
    return len(array)


# Texts in code page 1254 with what a JSON string must escape or may hold.
EDGE_TEXTS = [b'say "hi"\\ there', b"\x01\x08\x0c\x1f\x7f tab\tCR\rLF\n", b"\xc7\xd0\xdd\xde\xfe \x80 \xa0", b""]


def made_tables(make, work, errors):
    """Tables pxlib writes, and checks of their exact JSON beside the sweep."""
    tables = []
    for name, args in (("TYPES", ["types"]), ("EDGES", ["edges"]), ("TEXTS", ["texts"]), ("EMPTY", ["texts"])):
        path = work / (name + ".DB")
        extra = [str(path), "1254"] + EDGE_TEXTS if name == "TEXTS" else [str(path), "1254"] if name == "EMPTY" else [str(path)]
        if run(make, args[0], *extra).returncode != 0:
            errors.append("pxlib could not write %s" % name)
            continue
        tables.append(path)
    empty = work / "EMPTY.DB"
    if empty.exists():
        for suffix, content in ((".json", b"[]\n"), (".jsonl", b"")):
            out = work / ("empty" + suffix)
            run(cli_path, "export", "--quiet", str(empty), str(out))
            if not out.exists() or out.read_bytes() != content:
                errors.append("the empty table's %s is not %r" % (suffix, content))
    texts = work / "TEXTS.DB"
    if texts.exists():
        out = work / "texts.jsonl"
        run(cli_path, "export", "--quiet", str(texts), str(out))
        got = [list(json.loads(line).values())[1] for line in out.read_text("utf-8").splitlines()]
        want = [t.decode("cp1254") or None for t in EDGE_TEXTS]
        if got != want:
            errors.append("texts read back as %r, not %r" % (got, want))
        raw = out.read_bytes()
        if any(b < 0x20 and b != 0x0A for b in raw) or b"\x7f" in raw:
            errors.append("a control character is not escaped: %r" % raw)
    return tables


cli_path = None


def main():
    global cli_path
    cli, fixtures = sys.argv[1], pathlib.Path(sys.argv[2])
    cli_path = cli
    pxlib = sys.argv[3] if len(sys.argv) > 3 else None
    make = sys.argv[4] if len(sys.argv) > 4 else None
    if not fixtures.is_dir():
        print("fixtures not found at %s: the JSON read-back sweep is skipped" % fixtures)
        return 77
    if not shutil.which("jq"):
        print("jq is missing: install it with tools/install-deps.sh")
        return 1
    tables = sorted(p for p in fixtures.rglob("*") if p.suffix.lower() == ".db")
    errors, records = [], 0
    with tempfile.TemporaryDirectory(prefix="verimo-json-") as work:
        work = pathlib.Path(work)
        if make:
            (work / "made").mkdir()
            tables += made_tables(make, work / "made", errors)
        for table in tables:
            records += check_table(cli, pxlib, table, work, errors)
    for error in errors[:50]:
        print(error)
    print("%d tables, %d records, %d differences" % (len(tables), records, len(errors)))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())

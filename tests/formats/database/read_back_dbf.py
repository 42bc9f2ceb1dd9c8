#!/usr/bin/python3
"""Reads exported dBASE tables back with independent readers (dbfread,
python3-dbf and LibreOffice) and compares what they see with the values the
export was given.

Usage: read_back_dbf.py JOBS.json
JOBS.json is a list of jobs:
  {"file": path, "encoding": python codec the language-driver byte must name,
   "readers": ["dbfread", "dbf", "libreoffice"],
   "fields": [{"name": "AD", "type": "C" | "N" | "D" | "L" | "M", "decimals": 0}, ...],
   "expected": [[value, ...], ...]}
Expected values: texts for C and M fields, numbers as decimal text for N,
"YYYY-MM-DD" for D, true/false for L, null for blank fields. The readers'
own view of the encoding comes from the language-driver byte alone. Prints
every difference and exits 1 when there is one.
"""
import codecs
import csv
import datetime
import json
import os
import subprocess
import sys
import tempfile
from decimal import Decimal, InvalidOperation

csv.field_size_limit(sys.maxsize)


def codec(name):
    return codecs.lookup(name).name


def blank(value):
    return value is None or value == ""


def same_number(want, got, decimals, overflow_reads_as=("", None)):
    if want == "*":  # the overflow mark
        return got in overflow_reads_as
    if blank(want) or blank(got):
        return blank(want) and blank(got)
    try:
        w, g = Decimal(str(want)), Decimal(str(got).strip())
    except InvalidOperation:
        return False
    return abs(w - g) <= Decimal(1).scaleb(-decimals) / 2


def same_value(field, want, got, overflow_reads_as=("", None)):
    kind = field["type"]
    if kind == "N":
        return same_number(want, got, field.get("decimals", 0), overflow_reads_as)
    if kind == "D":
        if isinstance(got, (datetime.date, datetime.datetime)):
            got = got.strftime("%Y-%m-%d")
        return (blank(want) and blank(got)) or want == got
    if kind == "L":
        return want == got
    if kind == "C":
        want = (want or "").rstrip(" ")
        got = (got or "").rstrip(" ")
        return want == got
    # Memo texts: LibreOffice and dbf keep line breaks as they are.
    return (blank(want) and blank(got)) or want == got


def compare(label, fields, expected, rows, overflow_reads_as=("", None)):
    problems = []
    if len(rows) != len(expected):
        problems.append("%s: %d records expected, %d read" % (label, len(expected), len(rows)))
    for r, (want, got) in enumerate(zip(expected, rows)):
        for f, field in enumerate(fields):
            value = got[f] if f < len(got) else "<missing>"
            if not same_value(field, want[f], value, overflow_reads_as):
                problems.append("%s: record %d, field %s (%s): expected %r, read %r" % (
                    label, r + 1, field["name"], field["type"], want[f], value))
                if len(problems) > 12:
                    return problems
    return problems


def read_dbfread(job):
    import dbfread
    table = dbfread.DBF(job["file"], char_decode_errors="strict")
    problems = []
    if codec(table.encoding) != codec(job["encoding"]):
        problems.append("dbfread %s: encoding %s from the language driver, expected %s" % (
            job["file"], table.encoding, job["encoding"]))
    names = [f.name for f in table.fields]
    want_names = [f["name"] for f in job["fields"]]
    if names != want_names:
        problems.append("dbfread %s: fields %r, expected %r" % (job["file"], names, want_names))
    rows = [list(record.values()) for record in table]
    return problems + compare("dbfread " + job["file"], job["fields"], job["expected"], rows)


def read_dbf(job):
    import dbf
    table = dbf.Table(job["file"])
    table.open(dbf.READ_ONLY)
    try:
        problems = []
        if codec(table.codepage.name) != codec(job["encoding"]):
            problems.append("dbf %s: code page %s from the language driver, expected %s" % (
                job["file"], table.codepage, job["encoding"]))
        names = [name.upper() for name in table.field_names]
        want_names = [f["name"].upper() for f in job["fields"]]
        if names != want_names:
            problems.append("dbf %s: fields %r, expected %r" % (job["file"], names, want_names))
        rows = []
        for record in table:
            row = []
            for f, field in enumerate(job["fields"]):
                value = record[f]
                if field["type"] == "L":
                    value = None if value is None or value is dbf.Unknown else bool(value)
                elif field["type"] == "D" and not value:
                    value = None
                elif isinstance(value, str) and field["type"] == "C":
                    value = value.rstrip(" ")
                row.append(value)
            rows.append(row)
        return problems + compare("dbf " + job["file"], job["fields"], job["expected"], rows)
    finally:
        table.close()


# LibreOffice's numbers for the character sets, by Python codec name.
LO_CHARSETS = {"cp1252": 1, "mac_roman": 2, "cp437": 3, "cp850": 4, "cp860": 5, "cp861": 6, "cp863": 7,
               "cp865": 8, "cp737": 23, "cp852": 25, "cp857": 27, "cp866": 30, "cp1250": 33, "cp1251": 34,
               "cp1253": 35, "cp1254": 36, "cp1255": 37, "cp1256": 38, "cp1257": 39, "cp874": 40}


def language_driver_codec(path):
    """The code page the table's language-driver byte names, as dbfread's
    own table of drivers gives it."""
    import dbfread.codepages
    with open(path, "rb") as f:
        driver = f.read(32)[29]
    return codec(dbfread.codepages.guess_encoding(driver))


def lo_value(field, want, cell):
    kind = field["type"]
    if kind == "L":
        return {"TRUE": True, "FALSE": False, "": None}.get(cell.upper(), cell)
    if kind == "D" and cell:
        try:
            got = datetime.datetime.strptime(cell, "%m/%d/%Y").strftime("%Y-%m-%d")
        except ValueError:
            return cell
        # LibreOffice counts days before 15 October 1582 in the Julian calendar.
        if want and want < "1582-10-15":
            return want
        return "%04d-%s" % (int(cell.split("/")[2]), got[5:])
    if kind == "M" and want:
        # The CSV filter writes line breaks inside a cell as LF.
        want_lines = want.replace("\r\n", "\n").replace("\r", "\n")
        return want if cell == want_lines else cell
    return cell


def read_libreoffice(jobs, workdir):
    """LibreOffice's dBASE import takes the character set from its filter
    options; they name the code page of the language-driver byte. One call
    per character set converts all its files."""
    problems = []
    profile = "file://" + os.path.join(workdir, "profile")
    groups = {}
    for job in jobs:
        groups.setdefault(language_driver_codec(job["file"]), []).append(job)
    results = {}
    for number, (charset, group) in enumerate(groups.items()):
        if charset not in LO_CHARSETS:
            problems.append("libreoffice: no character set number for %s (%s)" % (charset, group[0]["file"]))
            continue
        outdir = os.path.join(workdir, "csv%d" % number)
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless",
                        "--infilter=dBase:%d" % LO_CHARSETS[charset],
                        "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false",
                        "--outdir", outdir] + [job["file"] for job in group],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=900)
        for job in group:
            results[job["file"]] = os.path.join(outdir, os.path.splitext(os.path.basename(job["file"]))[0] + ".csv")
    for job in jobs:
        converted = results.get(job["file"])
        if converted is None:
            continue
        if not os.path.exists(converted):
            problems.append("libreoffice could not load " + job["file"])
            continue
        with open(converted, newline="", encoding="utf-8") as f:
            rows = list(csv.reader(f))
        header = [cell.split(",")[0] for cell in rows[0]] if rows else []
        want_names = [f["name"] for f in job["fields"]]
        if header != want_names:
            problems.append("libreoffice %s: fields %r, expected %r" % (job["file"], header, want_names))
        data = []
        for r, row in enumerate(rows[1:]):
            want = job["expected"][r] if r < len(job["expected"]) else [None] * len(job["fields"])
            data.append([lo_value(field, want[i], row[i] if i < len(row) else "")
                         for i, field in enumerate(job["fields"])])
        # LibreOffice shows the overflow mark as 0.
        problems += compare("libreoffice " + job["file"], job["fields"], job["expected"], data, ("", "0"))
    return problems


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        jobs = json.load(f)
    problems = []
    for job in jobs:
        for name, reader in (("dbfread", read_dbfread), ("dbf", read_dbf)):
            if name not in job["readers"]:
                continue
            try:
                problems += reader(job)
            except Exception as error:  # a reader refusing the file is a finding
                problems.append("%s %s: %s: %s" % (name, job["file"], type(error).__name__, error))
    lo_jobs = [job for job in jobs if "libreoffice" in job["readers"]]
    if lo_jobs:
        with tempfile.TemporaryDirectory(prefix="verimo-lo-dbf-") as workdir:
            problems += read_libreoffice(lo_jobs, workdir)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

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


def same_number(want, got, decimals):
    if blank(want) or blank(got):
        return blank(want) and blank(got)
    try:
        w, g = Decimal(str(want)), Decimal(str(got).strip())
    except InvalidOperation:
        return False
    return abs(w - g) <= Decimal(1).scaleb(-decimals) / 2


def same_value(field, want, got):
    kind = field["type"]
    if kind == "N":
        return same_number(want, got, field.get("decimals", 0))
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


def compare(label, fields, expected, rows):
    problems = []
    if len(rows) != len(expected):
        problems.append("%s: %d records expected, %d read" % (label, len(expected), len(rows)))
    for r, (want, got) in enumerate(zip(expected, rows)):
        for f, field in enumerate(fields):
            value = got[f] if f < len(got) else "<missing>"
            if not same_value(field, want[f], value):
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


def lo_value(field, cell):
    kind = field["type"]
    if kind == "L":
        return {"TRUE": True, "FALSE": False, "": None}.get(cell.upper(), cell)
    if kind == "M":
        return cell.replace("\n", "\r\n") if "\r" not in cell else cell
    return cell


def read_libreoffice(jobs, workdir):
    problems = []
    profile = "file://" + os.path.join(workdir, "profile")
    # One call converts every file; the files keep distinct names.
    outdir = os.path.join(workdir, "csv")
    subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless",
                    "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false",
                    "--outdir", outdir] + [job["file"] for job in jobs],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=600)
    for job in jobs:
        converted = os.path.join(outdir, os.path.splitext(os.path.basename(job["file"]))[0] + ".csv")
        if not os.path.exists(converted):
            problems.append("libreoffice could not load " + job["file"])
            continue
        with open(converted, newline="", encoding="utf-8") as f:
            rows = list(csv.reader(f))
        header = [cell.split(",")[0] for cell in rows[0]] if rows else []
        want_names = [f["name"] for f in job["fields"]]
        if header != want_names:
            problems.append("libreoffice %s: fields %r, expected %r" % (job["file"], header, want_names))
        data = [[lo_value(field, row[i] if i < len(row) else "") for i, field in enumerate(job["fields"])]
                for row in rows[1:]]
        problems += compare("libreoffice " + job["file"], job["fields"], job["expected"], data)
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

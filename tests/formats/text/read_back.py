#!/usr/bin/python3
"""Reads exported CSV, DIF and SYLK files back with independent readers and
compares what they see with the expected cell texts.

Usage: read_back.py JOBS.json
JOBS.json is a list of jobs:
  {"file": path, "format": "csv" | "dif" | "slk", "encoding": python codec,
   "delimiter": ";", "quote": "\"", "readers": ["python", "libreoffice"],
   "expected": [[cell, ...], ...]}
LibreOffice converts every file to UTF-8 CSV (one call per import filter);
Python's csv module reads the CSV files directly. Prints every difference and
exits 1 when there is one.
"""
import collections
import csv
import json
import os
import subprocess
import sys
import tempfile

csv.field_size_limit(sys.maxsize)

# LibreOffice's numbers for the character sets a test may use.
LO_CHARSETS = {"cp1252": 1, "cp1254": 36, "utf-8": 76, "cp857": 27, "cp437": 3, "cp850": 4}


def csv_infilter(job):
    columns = len(job["expected"][0]) if job["expected"] else 1
    text_columns = "/".join("%d/2" % (i + 1) for i in range(columns))
    quote = job.get("quote", '"')
    return "Text - txt - csv (StarCalc):%d,%s,%d,1,%s" % (
        ord(job["delimiter"]), str(ord(quote)) if quote else "", LO_CHARSETS[job["encoding"]], text_columns)


def infilter(job):
    if job["format"] == "csv":
        return csv_infilter(job)
    if job["format"] == "dif":
        return "DIF:%d" % LO_CHARSETS[job["encoding"]]
    return "SYLK"


def normalise(rows):
    rows = [list(row) for row in rows]
    while rows and all(cell == "" for cell in rows[-1]):
        rows.pop()
    width = max((len(row) for row in rows), default=0)
    for row in rows:
        while len(row) > width and row[-1] == "":
            row.pop()
    width = max((len(row) for row in rows), default=0)
    return [row + [""] * (width - len(row)) for row in rows]


def same_number(want, got):
    """LibreOffice shows numbers with 15 significant digits."""
    try:
        return float("%.15g" % float(want)) == float("%.15g" % float(got))
    except ValueError:
        return False


# LibreOffice cuts cell texts at 65535 characters (SYLK: of the escaped text).
LO_CELL_LIMIT = 65535


def same_cell(want, got, numeric):
    if want == got or (numeric and same_number(want, got)):
        return True
    return len(want) > LO_CELL_LIMIT and len(got) >= LO_CELL_LIMIT // 2 and want.startswith(got)


def same_row(want, got, numeric):
    if want == got:
        return True
    return len(want) == len(got) and all(same_cell(w, g, numeric) for w, g in zip(want, got))


def describe(want, got):
    if len(want) != len(got) or sum(len(cell) for cell in want) < 400:
        return "  expected %r\n  read     %r" % (want, got)
    lines = []
    for c, (w, g) in enumerate(zip(want, got)):
        if w != g:
            at = next((i for i, (a, b) in enumerate(zip(w, g)) if a != b), min(len(w), len(g)))
            lines.append("  column %d: %d characters expected, %d read, first difference at %d:\n"
                         "    expected %r\n    read     %r" % (c + 1, len(w), len(g), at, w[at - 20:at + 40], g[at - 20:at + 40]))
    return "\n".join(lines)


def compare(label, expected, actual, numeric=False):
    expected, actual = normalise(expected), normalise(actual)
    problems = []
    if len(expected) != len(actual):
        problems.append("%s: %d rows expected, %d read" % (label, len(expected), len(actual)))
    for r, (want, got) in enumerate(zip(expected, actual)):
        if not same_row(want, got, numeric):
            problems.append("%s: row %d\n%s" % (label, r + 1, describe(want, got)))
            if len(problems) > 10:
                break
    return problems


def lo_line_breaks(cell, file_format):
    """LibreOffice keeps a line break inside a cell as LF. DIF has no
    notation for line breaks: LibreOffice's reader joins the lines of a string
    that spans lines but drops some of its empty lines, so DIF cells are
    compared without their line breaks."""
    cell = cell.replace("\r\n", "\n").replace("\r", "\n")
    return cell.replace("\n", "") if file_format == "dif" else cell


def read_with_python(job):
    quote = job.get("quote", '"')
    with open(job["file"], newline="", encoding=job["encoding"]) as f:
        if quote:
            reader = csv.reader(f, delimiter=job["delimiter"], quotechar=quote, doublequote=True, strict=True)
        else:
            reader = csv.reader(f, delimiter=job["delimiter"], quoting=csv.QUOTE_NONE)
        return [row for row in reader]


def read_with_libreoffice(jobs, workdir):
    by_filter = collections.defaultdict(list)
    for job in jobs:
        by_filter[infilter(job)].append(job)
    results = {}
    profile = "file://" + os.path.join(workdir, "profile")
    for number, (filter_name, group) in enumerate(by_filter.items()):
        outdir = os.path.join(workdir, "out%d" % number)
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless",
                        "--infilter=" + filter_name,
                        "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true",
                        "--outdir", outdir] + [job["file"] for job in group],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=300)
        for job in group:
            converted = os.path.join(outdir, os.path.splitext(os.path.basename(job["file"]))[0] + ".csv")
            if not os.path.exists(converted):
                results[job["file"]] = None
                continue
            with open(converted, newline="", encoding="utf-8") as f:
                results[job["file"]] = [row for row in csv.reader(f)]
    return results


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        jobs = json.load(f)
    problems = []
    for job in jobs:
        if "python" in job.get("readers", []):
            try:
                problems += compare("python csv " + job["file"], job["expected"], read_with_python(job))
            except (csv.Error, UnicodeDecodeError) as error:
                problems.append("python csv %s: %s" % (job["file"], error))
    lo_jobs = [job for job in jobs if "libreoffice" in job.get("readers", [])]
    if lo_jobs:
        with tempfile.TemporaryDirectory(prefix="verimo-lo-") as workdir:
            results = read_with_libreoffice(lo_jobs, workdir)
        for job in lo_jobs:
            rows = results.get(job["file"])
            if rows is None:
                problems.append("libreoffice could not load " + job["file"])
            else:
                expected = [[lo_line_breaks(cell, job["format"]) for cell in row] for row in job["expected"]]
                if job["format"] == "dif":
                    rows = [[cell.replace("\n", "") for cell in row] for row in rows]
                problems += compare("libreoffice " + job["file"], expected, rows, job["format"] == "dif")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

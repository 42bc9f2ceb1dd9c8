#!/usr/bin/python3
"""Reads exported XLSX and DOCX packages back with independent readers and
compares what they see with the expected cell texts.

Usage: read_package.py JOBS.json
JOBS.json is a list of jobs:
  {"file": path, "format": "xlsx" | "docx", "libreoffice": true|false,
   "expected": [[cell, ...], ...]}       (rows as the table shows them)
Checks, per package: `unzip -tq`; `xmllint --noout` on every part;
openpyxl (every cell's value, number format "General") or python-docx (the
w:t and w:br elements of every w:tc of the table); LibreOffice converts
every asked-for package in one call per format (XLSX to CSV, DOCX to TXT)
and its output is compared too. Expected texts lose the characters XML 1.0
does not allow, as any reader must. Prints every difference and exits 1
when there is one.
"""
import csv
import json
import os
import re
import subprocess
import sys
import tempfile
import zipfile

csv.field_size_limit(sys.maxsize)

FORBIDDEN = re.compile("[\x00-\x08\x0b\x0c\x0e-\x1f\ufffe\uffff\ud800-\udfff]")
W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"


def xml_text(text):
    return FORBIDDEN.sub("", text)


def lo_text(text):
    """LibreOffice keeps a line break as LF."""
    return text.replace("\r\n", "\n").replace("\r", "\n")


def check_container(path, problems):
    result = subprocess.run(["unzip", "-tq", path], capture_output=True, text=True)
    if result.returncode != 0:
        problems.append("%s: unzip -tq: %s" % (path, result.stdout + result.stderr))
        return
    with tempfile.TemporaryDirectory() as tmp:
        with zipfile.ZipFile(path) as archive:
            archive.extractall(tmp)
            names = [os.path.join(tmp, n) for n in archive.namelist() if not n.endswith("/")]
        result = subprocess.run(["xmllint", "--noout"] + names, capture_output=True, text=True)
        if result.returncode != 0:
            problems.append("%s: xmllint: %s" % (path, result.stderr[:2000]))


def compare(path, reader, want, got, problems):
    if want == got:
        return
    if len(want) != len(got):
        problems.append("%s (%s): %d rows, expected %d" % (path, reader, len(got), len(want)))
    for r, (w, g) in enumerate(zip(want, got)):
        if w != g:
            problems.append("%s (%s): row %d is %r, expected %r" % (path, reader, r + 1, g[:12], w[:12]))
            break


def read_xlsx(path, problems):
    import openpyxl
    book = openpyxl.load_workbook(path)
    rows = []
    for sheet in book.worksheets:
        for row in sheet.iter_rows():
            cells = []
            for cell in row:
                if cell.number_format != "General":
                    problems.append("%s: %s number format %r" % (path, cell.coordinate, cell.number_format))
                cells.append("" if cell.value is None else str(cell.value))
            rows.append(cells)
    return rows


def cell_text(tc):
    parts = []
    for node in tc.iter():
        if node.tag == W + "t":
            parts.append(node.text or "")
        elif node.tag == W + "br":
            parts.append("\n")
    return "".join(parts)


def read_docx(path):
    import docx
    document = docx.Document(path)
    if len(document.tables) != 1:
        return [["%d tables" % len(document.tables)]]
    return [[cell_text(tc) for tc in tr.findall(W + "tc")] for tr in document.tables[0]._tbl.findall(W + "tr")]


def trim(rows):
    """Readers differ in trailing empty cells and rows; drop them."""
    rows = [list(row) for row in rows]
    for row in rows:
        while row and row[-1] == "":
            row.pop()
    while rows and not rows[-1]:
        rows.pop()
    return rows


def libreoffice(jobs, fmt, target, workdir, problems):
    files = [job["file"] for job in jobs]
    if not files:
        return {}
    out = os.path.join(workdir, "lo-" + fmt)
    profile = "file://" + os.path.join(workdir, "lo-profile")
    subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", target,
                    "--outdir", out] + files, capture_output=True, timeout=900)
    results = {}
    for path in files:
        stem = os.path.splitext(os.path.basename(path))[0]
        converted = os.path.join(out, stem + (".csv" if fmt == "xlsx" else ".txt"))
        if not os.path.exists(converted):
            problems.append("%s: LibreOffice did not convert it" % path)
            continue
        with open(converted, encoding="utf-8-sig", newline="") as f:
            results[path] = f.read()
    return results


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        jobs = json.load(f)
    problems = []
    workdir = os.path.dirname(os.path.abspath(sys.argv[1]))
    for job in jobs:
        path = job["file"]
        want = trim([[xml_text(c) for c in row] for row in job["expected"]])
        job["want"] = want
        check_container(path, problems)
        if job["format"] == "xlsx":
            compare(path, "openpyxl", want, trim(read_xlsx(path, problems)), problems)
        else:
            # A line break in a cell is a break element: CR LF, CR and LF
            # all read back as one LF.
            breaks = [[lo_text(c) for c in row] for row in want]
            compare(path, "python-docx", breaks, trim(read_docx(path)), problems)
    asked = [job for job in jobs if job.get("libreoffice")]
    sheets = libreoffice([j for j in asked if j["format"] == "xlsx"], "xlsx",
                         "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false",
                         workdir, problems)
    texts = libreoffice([j for j in asked if j["format"] == "docx"], "docx", "txt:Text (encoded):UTF8",
                        workdir, problems)
    for job in asked:
        path = job["file"]
        want = [[lo_text(c) for c in row] for row in job["want"]]
        if job["format"] == "xlsx" and path in sheets:
            # One CSV per sheet is not what the filter gives; a continued
            # table is checked through openpyxl only.
            got = trim(csv.reader(sheets[path].splitlines(True)))
            if job.get("sheets", 1) == 1:
                compare(path, "LibreOffice", want, got, problems)
        elif job["format"] == "docx" and path in texts:
            # Writer's text export puts every cell paragraph on a line.
            lines = [lo_text(xml_text(c)) for row in job["expected"] for c in row]
            got = texts[path].replace("\r\n", "\n")
            expected = "\n".join(lines) + "\n" if lines else ""
            if got != expected and got.rstrip("\n") != expected.rstrip("\n"):
                problems.append("%s (LibreOffice): text differs: %r ... expected %r ..." % (
                    path, got[:300], expected[:300]))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Checks exported HTML pages with independent readers.

Usage: read_back_html.py JOBS.json
JOBS.json is a list of jobs of two kinds:
  {"kind": "table", "file": path, "expected": [[cell, ...], ...]}
      xmllint --html must report nothing; LibreOffice's HTML import (one
      soffice call for all files) must read the expected cells, the caption
      row included.
  {"kind": "site", "index": path or "", "pages": [path, ...], "bars": n}
      Every page passes xmllint; every link of every page and of the index
      names an existing file (style sheets included); every page carries
      `bars` navigation bars that link to every other page; the index links
      every page in order.
Prints every difference and exits 1 when there is one.
"""
import csv
import html.parser
import json
import os
import re
import subprocess
import sys
import tempfile
import urllib.parse

csv.field_size_limit(sys.maxsize)

LO_CELL_LIMIT = 65535


def xmllint(files):
    problems = []
    for name in files:
        run = subprocess.run(["xmllint", "--html", "--noout", name], capture_output=True, text=True, check=False)
        if run.returncode != 0 or run.stderr.strip():
            problems.append("xmllint %s (status %d):\n%s" % (name, run.returncode, run.stderr.strip()[:2000]))
    return problems


def normalise_cell(cell):
    """What a person sees of a cell: line breaks as LF, no-break spaces as
    spaces, and tabs as HTML shows them: as a space inside a line, as
    nothing at the start or end of a line."""
    cell = cell.replace("\r\n", "\n").replace("\r", "\n")
    cell = re.sub(r"(^|\n)\t+", r"\1", cell)
    cell = re.sub(r"\t+($|\n)", r"\1", cell)
    return cell.replace("\t", " ").replace("\xa0", " ")


def same_number(want, got):
    try:
        return float("%.15g" % float(want.replace(",", ""))) == float("%.15g" % float(got))
    except ValueError:
        return False


def same_cell(want, got):
    want, got = normalise_cell(want), normalise_cell(got)
    if want == got or (want == "" and got == " "):
        return True
    # LibreOffice reads plain numbers as numbers and writes them back
    # without grouping.
    if same_number(want, got):
        return True
    # LibreOffice drops the trailing line breaks of a cell.
    if want.rstrip("\n") == got:
        return True
    return len(want) > LO_CELL_LIMIT and want.startswith(got[: LO_CELL_LIMIT // 2])


def compare(label, expected, actual):
    problems = []
    while actual and all(cell == "" for cell in actual[-1]):
        actual.pop()
    if len(expected) != len(actual):
        problems.append("%s: %d rows expected, %d read" % (label, len(expected), len(actual)))
    for r, (want, got) in enumerate(zip(expected, actual)):
        got = got + [""] * (len(want) - len(got))
        while len(got) > len(want) and got[-1] == "":
            got.pop()
        if len(want) != len(got) or not all(same_cell(w, g) for w, g in zip(want, got)):
            bad = [c for c, (w, g) in enumerate(zip(want, got)) if not same_cell(w, g)]
            detail = ", ".join("column %d: expected %r read %r" % (c + 1, want[c][:200], got[c][:200]) for c in bad[:4])
            problems.append("%s: row %d: %s" % (label, r + 1, detail or "%d cells expected, %d read" % (len(want), len(got))))
            if len(problems) > 10:
                break
    return problems


def read_with_libreoffice(files, workdir):
    outdir = os.path.join(workdir, "out")
    subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(workdir, "profile"), "--headless",
                    "--infilter=HTML (StarCalc)",
                    "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true",
                    "--outdir", outdir] + files,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=600)
    results = {}
    for name in files:
        converted = os.path.join(outdir, os.path.splitext(os.path.basename(name))[0] + ".csv")
        if os.path.exists(converted):
            with open(converted, newline="", encoding="utf-8") as f:
                results[name] = [row for row in csv.reader(f)]
    return results


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.links = []       # (href, text)
        self.sheets = []
        self.bars = 0
        self._href = None
        self._text = ""

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "a":
            self._href, self._text = attrs.get("href"), ""
        elif tag == "link" and attrs.get("rel") == "stylesheet":
            self.sheets.append(attrs.get("href"))
        elif tag == "table" and attrs.get("border") == "0":
            self.bars += 1

    def handle_data(self, data):
        if self._href is not None:
            self._text += data

    def handle_endtag(self, tag):
        if tag == "a" and self._href is not None:
            self.links.append((self._href, self._text))
            self._href = None


def parse_links(path):
    parser = Links()
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"\xff\xfe"):
        text = data.decode("utf-16")
    else:
        text = data.decode("utf-8")
    parser.feed(text)
    return parser


def target_of(page, href):
    return os.path.normpath(os.path.join(os.path.dirname(page), urllib.parse.unquote(href)))


def check_site(job):
    problems = xmllint(job["pages"] + ([job["index"]] if job["index"] else []))
    pages = [os.path.normpath(p) for p in job["pages"]]
    for page in job["pages"]:
        parsed = parse_links(page)
        for href in [h for h, _ in parsed.links] + parsed.sheets:
            if not os.path.isfile(target_of(page, href)):
                problems.append("%s: link %r names no file" % (page, href))
        if parsed.bars != job["bars"]:
            problems.append("%s: %d navigation bars, %d expected" % (page, parsed.bars, job["bars"]))
        if job["bars"]:
            linked = {target_of(page, h) for h, _ in parsed.links}
            missing = [p for p in pages if p != os.path.normpath(page) and p not in linked]
            if missing:
                problems.append("%s: no link to %s" % (page, missing))
    if job["index"]:
        parsed = parse_links(job["index"])
        listed = [target_of(job["index"], h) for h, _ in parsed.links]
        if listed != pages:
            problems.append("index %s lists %s, expected %s" % (job["index"], listed, pages))
        for href in parsed.sheets:
            if not os.path.isfile(target_of(job["index"], href)):
                problems.append("%s: style sheet %r names no file" % (job["index"], href))
    return problems


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        jobs = json.load(f)
    problems = []
    tables = [job for job in jobs if job["kind"] == "table"]
    problems += xmllint([job["file"] for job in tables])
    for job in jobs:
        if job["kind"] == "site":
            problems += check_site(job)
    if tables and os.environ.get("VERIMO_NO_LIBREOFFICE") != "1":
        with tempfile.TemporaryDirectory(prefix="verimo-lo-html-") as workdir:
            results = read_with_libreoffice([job["file"] for job in tables], workdir)
        for job in tables:
            rows = results.get(job["file"])
            if rows is None:
                problems.append("libreoffice could not load " + job["file"])
            else:
                problems += compare("libreoffice " + job["file"], job["expected"], rows)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

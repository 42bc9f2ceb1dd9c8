#!/usr/bin/python3
"""Reads exported documents as a person sees them on paper and checks them.

Usage: read_pages.py JOBS.json

JOBS.json: {"outdir": folder, "tables": [table, ...], "jobs": [job, ...]};
each table: "captions" (one per column), "rows" (lists of cell texts),
"lines" (header and footer lines); each job:
  "file": the document (.pdf, .tex, .rtf, .doc, .docx or .odt; stems differ),
  "table": the index of the table it holds,
  "groups": the column groups its pages show, in order (each a list of
          column indexes); a reader meets the captions and then the rows of
          a group's columns in their order,
  "area": [left, bottom, right, top] in points: no word may lie outside it
          (omitted: not checked).
The word-processor documents are converted to PDF by LibreOffice, one call
per type (200 files a call); the LaTeX ones are compiled by pdflatex (two at a
time). Every PDF must pass `qpdf --check`; `pdftotext -raw` (content order,
text outside the page left out) must hold every text: whitespace is left out
on both sides, the texts of one list are looked for one after the other, and
a text that a page break cuts in two is found piece by piece. `pdftotext
-bbox` gives the words' boxes for the area. Texts with characters the LaTeX
fonts cannot show are not looked for in .tex results. Prints one line per
finding (at most ten per document); exit status 1 when there is one.
"""
import concurrent.futures
import html
import json
import os
import re
import subprocess
import sys
import unicodedata

BATCH = 200
WORD_PROCESSOR = (".rtf", ".doc", ".docx", ".odt")
WHITESPACE = re.compile(r"\s+", re.UNICODE)
CONTROL = re.compile("[\x00-\x1f\x7f-\x9f\u200b\u00ad]")
TYPOGRAPHIC = str.maketrans({"\u2019": "'", "\u2018": "`", "\u201d": '"', "\u201c": '"', "\u02c6": "^",
                             "\u02dc": "~", "\u2013": "--", "\u2014": "---"})
# Letters the default TeX fonts have no glyph for (the exporter writes "?").
NO_GLYPH = set("\u00d0\u00de\u00f0\u00fe\u0104\u0105\u0110\u0111\u0118\u0119\u0126\u0127\u012e\u012f"
               "\u0138\u013f\u0140\u0149\u014a\u014b\u0166\u0167\u0172\u0173\u017f")
# How far ahead of the previous text the next one of a list is looked for,
# and how far the pieces of a text cut by a page break may lie apart.
AHEAD = 8_000_000
PIECES_APART = 400_000
MOST_PIECES = 12
WORD = re.compile(r'<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">([^<]*)</word>')
PAGE = re.compile(r'<page width="([\d.]+)" height="([\d.]+)">')
TOLERANCE = 1.5


def normalise(text, latex):
    text = unicodedata.normalize("NFKC", text)
    if latex:
        text = unicodedata.normalize("NFKC", text.translate(TYPOGRAPHIC)).translate(TYPOGRAPHIC).replace("_", "")
    return WHITESPACE.sub("", CONTROL.sub("", text))


def showable_in_latex(text):
    return all(" " <= ch <= "\u017f" and ch not in NO_GLYPH and not "\x7f" <= ch < "\xa0" for ch in text
               if ch not in "\r\n\t")


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, **kwargs)


def convert_word_processor_files(jobs, outdir):
    profile = "file://" + os.path.join(outdir, "lo-profile")
    for extension in WORD_PROCESSOR:
        files = [job["file"] for job in jobs if job["file"].lower().endswith(extension)]
        for first in range(0, len(files), BATCH):
            run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", "pdf", "--outdir",
                 os.path.join(outdir, extension[1:])] + files[first:first + BATCH], timeout=3600)


def compile_latex(job):
    folder, name = os.path.split(job["file"])
    result = run(["pdflatex", "-interaction=nonstopmode", "-halt-on-error", name], cwd=folder, timeout=1800,
                 text=True, errors="replace")
    if result.returncode != 0:
        errors = [line for line in result.stdout.splitlines() if line.startswith("!")]
        return "pdflatex failed: " + " | ".join(errors[:3] or result.stdout.splitlines()[-5:])
    return None


def pdf_of(job, outdir):
    path = job["file"]
    stem, extension = os.path.splitext(os.path.basename(path))
    extension = extension.lower()
    if extension in WORD_PROCESSOR:
        return os.path.join(outdir, extension[1:], stem + ".pdf")
    if extension == ".tex":
        return os.path.splitext(path)[0] + ".pdf"
    return path


def find_in_order(found, sequence, latex, problems, name):
    position = 0
    for text in sequence:
        if latex and not showable_in_latex(text):
            continue
        wanted = normalise(text, latex)
        if not wanted:
            continue
        at = found.find(wanted, position, position + AHEAD + len(wanted))
        if at >= 0:
            position = at + len(wanted)
            continue
        # Cut by a page break: the longest start found, then the rest after it.
        rest, cursor, pieces, first_end = wanted, position, 0, None
        while rest and pieces < MOST_PIECES:
            low, high, where = 0, len(rest), -1
            while low < high:
                middle = (low + high + 1) // 2
                hit = found.find(rest[:middle], cursor, cursor + PIECES_APART + middle)
                if hit >= 0:
                    low, where = middle, hit
                else:
                    high = middle - 1
            if low == 0:
                break
            cursor = where + low
            first_end = first_end if first_end is not None else cursor
            rest = rest[low:]
            pieces += 1
        if rest:
            problems.append(f"{name}: not on the pages: {text[:80]!r}")
            if len(problems) >= 10:
                return
            continue
        position = first_end


def sequences_of(job, table):
    for group in job["groups"]:
        sequence = [table["captions"][column] for column in group if column < len(table["captions"])]
        for row in table["rows"]:
            sequence.extend(row[column] for column in group if column < len(row))
        yield sequence


def check(job, table, outdir):
    name = os.path.basename(job["file"])
    latex = name.endswith(".tex")
    problems = []
    if latex:
        failed = compile_latex(job)
        if failed:
            return [f"{name}: {failed}"]
    pdf = pdf_of(job, outdir)
    if not os.path.exists(pdf):
        return [f"{name}: no PDF came of it"]
    qpdf = run(["qpdf", "--check", pdf])
    if qpdf.returncode != 0:
        problems.append(f"{name}: qpdf --check: {qpdf.stdout.decode(errors='replace')[-300:]}")
    text = run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"]).stdout.decode("utf-8", errors="replace")
    found = normalise(text, latex)
    for line in table["lines"]:
        if (not latex or showable_in_latex(line)) and normalise(line, latex) not in found:
            problems.append(f"{name}: line not on the pages: {line[:80]!r}")
    for sequence in sequences_of(job, table):
        find_in_order(found, sequence, latex, problems, name)
        if len(problems) >= 10:
            return problems
    if "area" in job:
        left, bottom, right, top = job["area"]
        boxes = run(["pdftotext", "-bbox", "-enc", "UTF-8", pdf, "-"]).stdout.decode("utf-8", errors="replace")
        height = None
        page = 0
        for match in re.finditer(PAGE.pattern + "|" + WORD.pattern, boxes):
            if match.group(1):
                height = float(match.group(2))
                page += 1
                continue
            x_min, y_min, x_max, y_max = (float(match.group(i)) for i in range(3, 7))
            # pdftotext measures from the top of the page.
            if (x_min < left - TOLERANCE or x_max > right + TOLERANCE or height - y_max < bottom - TOLERANCE
                    or height - y_min > top + TOLERANCE):
                problems.append(f"{name}: page {page}: {html.unescape(match.group(7))!r} at "
                                f"[{x_min:.1f} {height - y_max:.1f} {x_max:.1f} {height - y_min:.1f}] is outside "
                                f"the text area [{left} {bottom} {right} {top}]")
                break
    return problems


def main():
    with open(sys.argv[1], encoding="utf-8") as handle:
        request = json.load(handle)
    outdir = request["outdir"]
    jobs = request["jobs"]
    os.makedirs(outdir, exist_ok=True)
    convert_word_processor_files(jobs, outdir)
    failed = False
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        for problems in pool.map(lambda job: check(job, request["tables"][job["table"]], outdir), jobs):
            for problem in problems:
                failed = True
                print(problem)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

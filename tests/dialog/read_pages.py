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
          (omitted: not checked),
  "edges": per column group, the edges of its table's columns on the page,
          [x0, ..., xn] in points (word processors, whose rows a page break
          cuts: each column's words are read down the pages on their own;
          each group's table starts a page; omitted: the texts are looked
          for in the order of the pages' content).
The word-processor documents are converted to PDF by LibreOffice, one call
per type (200 files a call); the LaTeX ones are compiled by pdflatex (two at a
time). Every PDF must pass `qpdf --check`; `pdftotext -raw` (content order,
text outside the page left out) must hold every text: whitespace is left out
on both sides, the texts of one list are looked for one after the other, and
a text that a page break cuts in two is found piece by piece (when the
column edges are known, each column's words are read on their own). `pdftotext
-bbox` gives the words' boxes for the area. Texts with characters the LaTeX
fonts cannot show are not looked for in .tex results. Prints one line per
finding (at most ten per document); exit status 1 when there is one.
"""
import bisect
import concurrent.futures
import html
import json
import os
import re
import subprocess
import sys
import unicodedata

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from page_text import TYPOGRAPHIC, locate, showable_in_latex  # noqa: E402

BATCH = 200
WORD_PROCESSOR = (".rtf", ".doc", ".docx", ".odt")
WHITESPACE = re.compile(r"\s+", re.UNICODE)
CONTROL = re.compile("[\x00-\x1f\x7f-\x9f\u200b\u00ad]")
WORD = re.compile(r'<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">([^<]*)</word>')
PAGE = re.compile(r'<page width="([\d.]+)" height="([\d.]+)">')
TOLERANCE = 1.5
# A word belongs to the column its left edge lies in, this far inside.
COLUMN_INSET = 2.0


def normalise(text, latex):
    text = unicodedata.normalize("NFKC", text)
    if latex:
        text = unicodedata.normalize("NFKC", text.translate(TYPOGRAPHIC)).translate(TYPOGRAPHIC).replace("_", "")
    return WHITESPACE.sub("", CONTROL.sub("", text))


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


# How far back on the pages a value may stand before the text found last.
PAGE_BEHIND = 20_000


def find_in_order(found, sequence, latex, problems, name, position=0):
    """Looks for the texts of `sequence` one after the other from `position`;
    returns where the last was found."""
    for text in sequence:
        if latex and not showable_in_latex(text):
            continue
        wanted = normalise(text, latex)
        if not wanted:
            continue
        after = locate(found, wanted, position)
        if after is None and locate(found, wanted, max(0, position - PAGE_BEHIND)) is not None:
            # pdftotext reads some word processors' table pages a column at
            # a time: a short value of the first column stands before the
            # rest of its row on the same page.
            continue
        if after is None:
            problems.append(f"{name}: not on the pages: {text[:80]!r}")
            if len(problems) >= 10:
                return position
            continue
        position = after
    return position


def words_of(pdf):
    """The words of every page with their boxes: (page, x_min, y_min, x_max, y_max, text), y from the top."""
    boxes = run(["pdftotext", "-bbox", "-enc", "UTF-8", pdf, "-"]).stdout.decode("utf-8", errors="replace")
    words = []
    page, height = 0, 0.0
    for match in re.finditer(PAGE.pattern + "|" + WORD.pattern, boxes):
        if match.group(1):
            page += 1
            height = float(match.group(2))
            continue
        x_min, y_min, x_max, y_max = (float(match.group(i)) for i in range(3, 7))
        words.append((page, x_min, y_min, x_max, y_max, html.unescape(match.group(7)), height))
    return words


def column_texts(words, edges, captions):
    """Each column's words, page after page, line after line, without the
    caption rows that pages repeat at their tops; and whether each caption
    was on the first page."""
    pages = [{} for _ in range(len(edges) - 1)]
    for word in sorted(words, key=lambda w: (w[0], round(w[2] * 2), w[1])):
        column = min(max(bisect.bisect_right(edges, word[1] + COLUMN_INSET) - 1, 0), len(pages) - 1)
        pages[column].setdefault(word[0], []).append(word[5])
    texts, shown = [], []
    first_parts = []
    for column, by_page in enumerate(pages):
        caption = normalise(captions[column], False) if column < len(captions) else ""
        parts = [normalise("".join(by_page[page]), False) for page in sorted(by_page)]
        # In columns a few points wide pdftotext joins a caption to the one
        # on its left into one word, which then stands in that column.
        shown.append(not caption or any(caption in part for part in parts[:1]) or
                     (column > 0 and caption in first_parts[-1]))
        first_parts.append(parts[0] if parts else "")
        texts.append("".join(part[len(caption):] if caption and part.startswith(caption) else part
                             for part in parts))
    return texts, shown


def column_text(page_words, left, right):
    """The words of a page whose left edges lie in [left, right), line after line."""
    inside = [w for w in page_words if left <= w[1] + COLUMN_INSET < right]
    return normalise("".join(w[5] for w in sorted(inside, key=lambda w: (round(w[2] * 2), w[1]))), False)


def group_pages(job, table, words):
    """Each column group with its edges and the words of its pages: the
    first group's table starts on the first page, each further one on the
    first page after the one before that shows, in the place of the column
    after the repeated first, that column's caption (read down the column:
    a narrow column wraps its caption)."""
    groups, edges = job["groups"], job["edges"]
    pages = {}
    for word in words:
        pages.setdefault(word[0], []).append(word)
    starts = [1]
    for g, group in enumerate(groups[1:], start=1):
        caption = normalise(table["captions"][group[1]], False) if len(group) > 1 else ""
        left, right = (edges[g][1], edges[g][2]) if len(edges[g]) > 2 else (float("-inf"), float("inf"))
        start = next((page for page in sorted(pages) if page > starts[-1] and
                      caption in column_text(pages[page], left, right)), max(pages, default=1) + 1)
        starts.append(start)
    starts.append(max(pages, default=0) + 1)
    for g, group in enumerate(groups):
        yield group, edges[g], [w for w in words if starts[g] <= w[0] < starts[g + 1]]


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
    # TeX hyphenates the header and footer paragraphs.
    joined = normalise(re.sub(r"-\n", "", text), latex) if latex else found
    for line in table["lines"]:
        if (not latex or showable_in_latex(line)) and normalise(line, latex) not in joined:
            problems.append(f"{name}: line not on the pages: {line[:80]!r}")
    words = words_of(pdf) if "edges" in job or "area" in job else []
    if "edges" in job:
        for group, edges, group_words in group_pages(job, table, words):
            captions = [table["captions"][column] for column in group]
            texts, shown = column_texts(group_words, edges, captions)
            for place, column in enumerate(group):
                if not shown[place]:
                    problems.append(f"{name}: caption not on the table's first page: {captions[place]!r}")
                sequence = [row[column] for row in table["rows"] if column < len(row)]
                find_in_order(texts[place], sequence, latex, problems, name)
                if len(problems) >= 10:
                    return problems
    else:
        position = 0
        for sequence in sequences_of(job, table):
            end = find_in_order(found, sequence, latex, problems, name, position)
            # LaTeX sets the groups' tables one after the other (PDF takes
            # turns page by page): a group's texts lie after the one before.
            if latex:
                position = end
            if len(problems) >= 10:
                return problems
    if "area" in job:
        left, bottom, right, top = job["area"]
        for page, x_min, y_min, x_max, y_max, word, height in words:
            # pdftotext measures from the top of the page.
            if (x_min < left - TOLERANCE or x_max > right + TOLERANCE or height - y_max < bottom - TOLERANCE
                    or height - y_min > top + TOLERANCE):
                problems.append(f"{name}: page {page}: {word!r} at [{x_min:.1f} {height - y_max:.1f} "
                                f"{x_max:.1f} {height - y_min:.1f}] is outside the text area "
                                f"[{left} {bottom} {right} {top}]")
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

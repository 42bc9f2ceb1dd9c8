#!/usr/bin/python3
"""Compiles exported LaTeX documents and looks for their values in the PDF.

Usage: latex_read_back.py JOBS.json

Each job names a .tex file, the encoding it was written in and the texts
(captions, values, header and footer lines) the PDF must show. Every file is
compiled with `pdflatex -interaction=nonstopmode -halt-on-error` (two at a
time), then `pdftotext -raw` extracts the text in the order it was set; each
expected text must appear in it, whole or, when the table cut it into the
rows below (a text taller than a page), piece after piece as
tests/support/page_text.py finds them. Whitespace is left out on both sides
(texts wrap inside their cells), the typographic forms the fonts give quotes,
tildes and circumflexes count as the plain characters, and underscores are
left out too (\\_ is drawn as a rule, which has no text). Texts with
characters the code page or the default fonts cannot show are not looked
for. Prints one line per difference; exit status 0 when there is none.
"""

import concurrent.futures
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from page_text import locate, normalise_latex, showable_in_latex  # noqa: E402


def showable(text, encoding):
    if encoding != "utf-8":
        try:
            text.encode(encoding)
        except UnicodeEncodeError:
            return False
    return showable_in_latex(text)


def compile_job(job):
    folder, name = os.path.split(job["file"])
    result = subprocess.run(["pdflatex", "-interaction=nonstopmode", "-halt-on-error", name],
                            cwd=folder, capture_output=True, text=True, errors="replace")
    pdf = os.path.splitext(job["file"])[0] + ".pdf"
    if result.returncode != 0 or not os.path.exists(pdf):
        errors = [line for line in result.stdout.splitlines() if line.startswith("!")]
        return ["pdflatex failed: " + " | ".join(errors[:3] or result.stdout.splitlines()[-5:])]
    text = subprocess.run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"], capture_output=True).stdout.decode("utf-8")
    found = normalise_latex(text)
    problems = []
    for expected in job["expected"]:
        if not showable(expected, job["encoding"]):
            continue
        wanted = normalise_latex(expected)
        if wanted and locate(found, wanted) is None:
            problems.append("not in the PDF: %r" % expected[:200])
            if len(problems) >= 10:
                break
    return problems


def main():
    with open(sys.argv[1], encoding="utf-8") as handle:
        jobs = json.load(handle)
    failed = False
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        for job, problems in zip(jobs, pool.map(compile_job, jobs)):
            for problem in problems:
                failed = True
                print("%s: %s" % (job["file"], problem))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

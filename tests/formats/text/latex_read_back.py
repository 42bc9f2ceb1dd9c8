#!/usr/bin/python3
"""Compiles exported LaTeX documents and looks for their values in the PDF.

Usage: latex_read_back.py JOBS.json

Each job names a .tex file, the encoding it was written in and the texts
(captions, values, header and footer lines) the PDF must show. Every file is
compiled with `pdflatex -interaction=nonstopmode -halt-on-error` (two at a
time), then `pdftotext -raw` extracts the text in the order it was set; each
expected text must appear in it. Whitespace is left out on both sides (texts
wrap inside their cells), the typographic forms the fonts give quotes, tildes and
circumflexes count as the plain characters, and underscores are left out
too (\_ is drawn as a rule, which has no text). Texts with characters the code
page or the default fonts cannot show are not looked for. Prints one line
per difference; exit status 0 when there is none.
"""

import concurrent.futures
import json
import os
import re
import subprocess
import sys
import unicodedata

TYPOGRAPHIC = str.maketrans({"\u2019": "'", "\u2018": "`", "\u201d": '"', "\u201c": '"', "\u02c6": "^",
                             "\u02dc": "~", "\u2013": "--", "\u2014": "---"})
# Long texts are looked for by their start (a text of more than a page goes
# on in the rows below, after the captions the next page repeats), and the
# longest only have to compile.
LOOKED_FOR = 500
LONGEST_PLACED = 5000
WHITESPACE = re.compile(r"\s+")
# Letters the default fonts have no glyph for: the exporter writes "?".
NO_GLYPH = set("\u00d0\u00de\u00f0\u00fe\u0104\u0105\u0110\u0111\u0118\u0119\u0126\u0127\u012e\u012f"
               "\u0138\u013f\u0140\u0149\u014a\u014b\u0166\u0167\u0172\u0173\u017f")


def normalise(text):
    text = unicodedata.normalize("NFKC", text.translate(TYPOGRAPHIC)).translate(TYPOGRAPHIC)
    return WHITESPACE.sub("", text).replace("_", "")


def showable(text, encoding):
    if encoding != "utf-8":
        try:
            text.encode(encoding)
        except UnicodeEncodeError:
            return False
    return all(" " <= ch <= "\u017f" and ch not in NO_GLYPH and not "\x7f" <= ch < "\xa0" for ch in text
               if ch not in "\r\n\t")


def compile_job(job):
    folder, name = os.path.split(job["file"])
    result = subprocess.run(["pdflatex", "-interaction=nonstopmode", "-halt-on-error", name],
                            cwd=folder, capture_output=True, text=True, errors="replace")
    pdf = os.path.splitext(job["file"])[0] + ".pdf"
    if result.returncode != 0 or not os.path.exists(pdf):
        errors = [line for line in result.stdout.splitlines() if line.startswith("!")]
        return ["pdflatex failed: " + " | ".join(errors[:3] or result.stdout.splitlines()[-5:])]
    text = subprocess.run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"], capture_output=True).stdout.decode("utf-8")
    found = normalise(text)
    problems = []
    for expected in job["expected"]:
        if len(expected) > LONGEST_PLACED or not showable(expected, job["encoding"]):
            continue
        if normalise(expected)[:LOOKED_FOR] not in found:
            problems.append("not in the PDF: %r" % expected)
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

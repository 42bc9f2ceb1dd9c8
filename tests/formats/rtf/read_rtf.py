#!/usr/bin/python3
"""Reads RTF documents back through LibreOffice and checks them.

Usage: read_rtf.py JOBS.json

JOBS.json: {"outdir": folder, "jobs": [job, ...]}; each job:
  "file": the document (.rtf or .doc; stems must differ),
  "rows": the expected table, a list of rows of cell texts (paragraphs
          joined by "\n"); omitted: not compared,
  "before" / "after": expected texts of the paragraphs before / after the
          table that are not empty; omitted: not compared,
  "styles": [{"row": r, "col": c, "expect": {property: value}}], the
          properties of a cell's first text: font-name, font-weight,
          font-style, color, font-size, text-align, background (paragraph
          or cell), highlight (text background).
Every document is converted to flat ODT (one XML file) by LibreOffice, 200
to a call, and read with ElementTree. Not the packaged ODT: LibreOffice
took minutes to write it for a table with a 500,000-character memo, the
flat one seconds. Prints one line per difference; exit status 1 when
there is one.
"""
import json
import os
import subprocess
import sys
import xml.etree.ElementTree as ET

OFFICE = "urn:oasis:names:tc:opendocument:xmlns:office:1.0"
STYLENS = "urn:oasis:names:tc:opendocument:xmlns:style:1.0"
TABLENS = "urn:oasis:names:tc:opendocument:xmlns:table:1.0"
TEXTNS = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"

# LibreOffice converts only the first 247 files named on its command line
# and passes over the others without a word.
BATCH = 200


def q(ns, name):
    return "{" + ns + "}" + name


P, H, SPAN = q(TEXTNS, "p"), q(TEXTNS, "h"), q(TEXTNS, "span")
TABLE, ROW, CELL = q(TABLENS, "table"), q(TABLENS, "table-row"), q(TABLENS, "table-cell")
SILENT = (q(TEXTNS, "soft-page-break"), q(TEXTNS, "bookmark"), q(TEXTNS, "bookmark-start"), q(TEXTNS, "bookmark-end"))


def local(tag):
    return tag.rsplit("}", 1)[-1]


def text_of(node):
    out = [node.text or ""]
    for child in node:
        if child.tag == q(TEXTNS, "s"):
            out.append(" " * int(child.get(q(TEXTNS, "c")) or 1))
        elif child.tag == q(TEXTNS, "tab"):
            out.append("\t")
        elif child.tag == q(TEXTNS, "line-break"):
            out.append("\n")
        elif child.tag not in SILENT:
            out.append(text_of(child))
        out.append(child.tail or "")
    return "".join(out)


def paragraphs(node):
    result = []
    for child in node:
        if child.tag in (P, H):
            result.append(child)
        elif child.tag != TABLE:
            result.extend(paragraphs(child))
    return result


def cell_text(cell):
    # The reader keeps each space of a run as a six-per-em space and a space.
    return "\n".join(text_of(p) for p in paragraphs(cell)).replace("\u2006 ", " ").replace("\u2006", " ")


def rows_of(table):
    rows = []

    def walk(node):
        for child in node:
            if child.tag == ROW:
                rows.append([c for c in child if c.tag == CELL])
            elif child.tag != TABLE:
                walk(child)

    walk(table)
    return rows


class Styles:
    def __init__(self, root):
        self.styles = {}
        for kind in ("styles", "automatic-styles"):
            for part in root.iter(q(OFFICE, kind)):
                for style in part.iter(q(STYLENS, "style")):
                    self.styles[style.get(q(STYLENS, "name"))] = style

    def props(self, name, kinds):
        chain = []
        while name and name in self.styles and len(chain) < 20:
            chain.append(self.styles[name])
            name = self.styles[name].get(q(STYLENS, "parent-style-name"))
        merged = {}
        for style in reversed(chain):
            for child in style:
                if local(child.tag) in kinds:
                    for attr, value in child.attrib.items():
                        merged[(local(child.tag), local(attr))] = value
        return merged


def cell_style(styles, cell):
    found = {}
    cellprops = styles.props(cell.get(q(TABLENS, "style-name")), ("table-cell-properties",))
    para = paragraphs(cell)[0] if paragraphs(cell) else None
    pprops = styles.props(para.get(q(TEXTNS, "style-name")), ("paragraph-properties", "text-properties")) if para is not None else {}
    spans = list(para.iter(SPAN)) if para is not None else []
    sprops = styles.props(spans[0].get(q(TEXTNS, "style-name")), ("text-properties",)) if spans else {}
    text = {k[1]: v for k, v in pprops.items() if k[0] == "text-properties"}
    text.update({k[1]: v for k, v in sprops.items()})
    for key in ("font-name", "font-weight", "font-style", "color", "font-size"):
        if key in text:
            found[key] = text[key]
    if "background-color" in text:
        found["highlight"] = text["background-color"]
    background = pprops.get(("paragraph-properties", "background-color")) or cellprops.get(
        ("table-cell-properties", "background-color"))
    if background:
        found["background"] = background
    align = pprops.get(("paragraph-properties", "text-align"))
    if align:
        found["text-align"] = {"start": "left", "end": "right"}.get(align, align)
    return found


def check(job, converted, report):
    name = os.path.basename(job["file"])
    if not os.path.exists(converted):
        report.append(f"{name}: LibreOffice did not convert it")
        return
    root = ET.parse(converted).getroot()
    body = root.find(q(OFFICE, "body")).find(q(OFFICE, "text"))
    tables = list(body.iter(TABLE))
    if not tables:
        report.append(f"{name}: no table")
        return
    table = tables[0]
    if len(tables) > 1:
        report.append(f"{name}: {len(tables)} tables instead of one")
    rows = rows_of(table)
    if "rows" in job:
        got = [[cell_text(c) for c in row] for row in rows]
        want = job["rows"]
        if len(got) != len(want):
            report.append(f"{name}: {len(got)} rows instead of {len(want)}")
        for r, (g, w) in enumerate(zip(got, want)):
            if g != w:
                report.append(f"{name}: row {r}: {g!r} instead of {w!r}")
                break
    top = list(body)
    at = top.index(table) if table in top else len(top)
    for key, part in (("before", top[:at]), ("after", top[at + 1:])):
        if key not in job:
            continue
        texts = [t for node in part for t in ([text_of(p) for p in ([node] if node.tag == P else paragraphs(node))])]
        texts = [t for t in texts if t.strip()]
        if texts != job[key]:
            report.append(f"{name}: paragraphs {key} the table: {texts!r} instead of {job[key]!r}")
    styles = Styles(root)
    for check_ in job.get("styles", []):
        r, c = check_["row"], check_["col"]
        if r >= len(rows) or c >= len(rows[r]):
            report.append(f"{name}: no cell {r},{c}")
            continue
        found = cell_style(styles, rows[r][c])
        for key, value in check_["expect"].items():
            if str(found.get(key, "")).lower() != str(value).lower():
                report.append(f"{name}: cell {r},{c} {key}: {found.get(key)!r} instead of {value!r} ({found})")


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        request = json.load(f)
    outdir = request["outdir"]
    os.makedirs(outdir, exist_ok=True)
    profile = "file://" + os.path.join(outdir, "lo-profile")
    files = [job["file"] for job in request["jobs"]]
    for first in range(0, len(files), BATCH):
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", "fodt",
                        "--outdir", outdir] + files[first:first + BATCH],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=1200)
    report = []
    for job in request["jobs"]:
        stem = os.path.splitext(os.path.basename(job["file"]))[0]
        try:
            check(job, os.path.join(outdir, stem + ".fodt"), report)
        except Exception as error:  # a broken document is a finding, not a crash
            report.append(f"{os.path.basename(job['file'])}: {error!r}")
    for line in report:
        print(line)
    return 1 if report else 0


if __name__ == "__main__":
    sys.exit(main())

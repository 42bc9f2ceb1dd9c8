#!/usr/bin/python3
"""Reads exported XLSX, DOCX, ODS and ODT packages back with independent
readers and compares what they see with the expected cell texts.

Usage: read_package.py JOBS.json
JOBS.json is a list of jobs:
  {"file": path, "format": "xlsx" | "docx" | "ods" | "odt",
   "libreoffice": true|false,
   "expected": [[cell, ...], ...],       (rows as the table shows them)
   "values": [[[type, value] | null, ...], ...],   (ods: typed cells)
   "paragraphs": [[text, ...], [text, ...]]}       (odt: before, after the table)
Checks, per package: `unzip -tq`; `xmllint --noout` on every part;
openpyxl (every cell's value, number format "General") or python-docx (the
w:t and w:br elements of every w:tc of the table); LibreOffice converts
every asked-for package in one call per format (XLSX to CSV, DOCX to TXT)
and its output is compared too. OpenDocument packages must also have their
"mimetype" entry first and stored, and pass odflint; odfpy reads the ODS
cells (value type, value and text) and the ODT table cells and paragraphs.
Expected texts lose the characters XML 1.0
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
            names = [os.path.join(tmp, n) for n in archive.namelist() if not n.endswith("/") and n != "mimetype"]
        result = subprocess.run(["xmllint", "--noout"] + names, capture_output=True, text=True)
        if result.returncode != 0:
            problems.append("%s: xmllint: %s" % (path, result.stderr[:2000]))


def check_opendocument(path, problems):
    with zipfile.ZipFile(path) as archive:
        first = archive.infolist()[0]
        if (first.filename != "mimetype" or first.compress_type != zipfile.ZIP_STORED or first.extra
                or first.comment):
            problems.append("%s: the first entry is %s (method %d), not a plain stored mimetype" % (
                path, first.filename, first.compress_type))
    result = subprocess.run(["odflint", path], capture_output=True, text=True)
    # odflint compares the member's comment (bytes) with a str under
    # Python 3, so it reports "extra header info" for every package; the
    # check above does it properly.
    errors = [line for line in (result.stdout + result.stderr).splitlines()
              if "Error" in line and "must not have extra header info" not in line]
    if errors:
        problems.append("%s: odflint: %s" % (path, "; ".join(errors[:5])))


def odf_cell_text(cell):
    from odf import teletype
    from odf.text import P
    return "\n".join(teletype.extractText(p) for p in cell.getElementsByType(P))


def read_ods(path):
    """Per cell (text, value type, value)."""
    from odf.opendocument import load
    from odf.table import Table, TableRow, TableCell
    document = load(path)
    tables = document.spreadsheet.getElementsByType(Table)
    rows = []
    for row in tables[0].getElementsByType(TableRow):
        cells = []
        for cell in row.getElementsByType(TableCell):
            kind = cell.getAttribute("valuetype")
            value = None
            if kind in ("float", "currency", "percentage"):
                value = cell.getAttribute("value")
            elif kind == "date":
                value = cell.getAttribute("datevalue")
            elif kind == "time":
                value = cell.getAttribute("timevalue")
            elif kind == "boolean":
                value = cell.getAttribute("booleanvalue")
            cells.append((odf_cell_text(cell), kind, value))
        rows.append(cells)
    return rows


def same_value(kind, want, got):
    if kind in ("float", "currency"):
        try:
            a, b = float(want), float(got)
        except (TypeError, ValueError):
            return False
        return a == b or abs(a - b) <= 1e-12 * max(abs(a), abs(b))
    return want == got


def compare_values(path, want, cells, problems):
    for r, row in enumerate(want):
        for c, expected in enumerate(row):
            if expected is None:
                continue
            got = cells[r][c] if r < len(cells) and c < len(cells[r]) else ("", None, None)
            kind, value = expected
            if got[1] != kind or (kind != "string" and not same_value(kind, value, got[2])):
                problems.append("%s (odfpy): row %d cell %d is %s %r, expected %s %r" % (
                    path, r + 1, c + 1, got[1], got[2], kind, value))
                return


def lo_value(kind, value):
    """A typed value as LibreOffice's CSV export writes it without the
    cell formats: numbers as they are, dates as MM/DD/YYYY hh:mm:ss, times
    as hh:mm:ss AM/PM, truth values as TRUE/FALSE."""
    if kind == "date":
        date, _, time = value.partition("T")
        year, month, day = date.split("-")
        time = (time or "00:00:00").split(".")[0]
        return "%s/%s/%s %s" % (month, day, year, time)
    if kind == "time":
        match = re.match(r"PT(\d+)H(\d+)M(\d+)", value)
        hour, minute, second = (int(g) for g in match.groups())
        return "%02d:%02d:%02d %s" % ((hour + 11) % 12 + 1, minute, second, "AM" if hour < 12 else "PM")
    if kind == "boolean":
        return value.upper()
    return value


def compare_shown(path, job, got, problems):
    # Calc (7.4) drops a text:tab of a cell paragraph on import, although
    # it writes tabs that way itself; odfpy checks the tabs.
    want = [[lo_text(c).replace("\t", "") for c in row] for row in job["want"]]
    values = job.get("values", [])
    for r, row in enumerate(want):
        for c, text in enumerate(row):
            typed = values[r][c] if r < len(values) and c < len(values[r]) else None
            cell = got[r][c] if r < len(got) and c < len(got[r]) else ""
            if typed and typed[0] in ("float", "currency"):
                ok = same_value(typed[0], typed[1], cell)
                expected = typed[1]
            else:
                expected = lo_value(*typed) if typed and typed[0] != "string" else text
                ok = cell == expected
            if not ok:
                problems.append("%s (LibreOffice): row %d cell %d is %r, expected %r" % (
                    path, r + 1, c + 1, cell, expected))
                return
    if len(got) != len(want):
        problems.append("%s (LibreOffice): %d rows, expected %d" % (path, len(got), len(want)))


def read_odt(path):
    """The table cells' texts and the paragraphs before and after the table."""
    from odf import teletype
    from odf.opendocument import load
    from odf.table import Table, TableRow, TableCell
    from odf.text import P
    document = load(path)
    tables = document.text.getElementsByType(Table)
    if len(tables) != 1:
        return [["%d tables" % len(tables)]], [[], []]
    rows = [[odf_cell_text(cell) for cell in row.getElementsByType(TableCell)]
            for row in tables[0].getElementsByType(TableRow)]
    paragraphs = [[], []]
    side = 0
    for node in document.text.childNodes:
        if node is tables[0]:
            side = 1
        elif getattr(node, "qname", None) == P().qname:
            paragraphs[side].append(teletype.extractText(node))
    return rows, paragraphs


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
        converted = os.path.join(out, stem + (".csv" if fmt in ("xlsx", "ods") else ".txt"))
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
        if job["format"] in ("ods", "odt"):
            check_opendocument(path, problems)
        if job["format"] == "xlsx":
            compare(path, "openpyxl", want, trim(read_xlsx(path, problems)), problems)
        elif job["format"] == "ods":
            cells = read_ods(path)
            breaks = [[lo_text(c) for c in row] for row in want]
            compare(path, "odfpy", breaks, trim([[c[0] for c in row] for row in cells]), problems)
            compare_values(path, job.get("values", []), cells, problems)
        elif job["format"] == "odt":
            rows, paragraphs = read_odt(path)
            breaks = [[lo_text(c) for c in row] for row in want]
            compare(path, "odfpy", breaks, trim(rows), problems)
            expected = [[lo_text(xml_text(t)) for t in side] for side in (job.get("paragraphs") or [[], []])]
            if paragraphs != expected:
                problems.append("%s (odfpy): paragraphs %r, expected %r" % (path, paragraphs, expected))
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
    sheets.update(libreoffice([j for j in asked if j["format"] == "ods"], "ods",
                              "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false",
                              workdir, problems))
    texts.update(libreoffice([j for j in asked if j["format"] == "odt"], "odt", "txt:Text (encoded):UTF8",
                             workdir, problems))
    for job in asked:
        path = job["file"]
        if job["format"] == "ods" and path in sheets:
            got = trim(csv.reader(sheets[path].splitlines(True)))
            compare_shown(path, job, got, problems)
            continue
        if job["format"] == "odt" and path in texts:
            before, after = (job.get("paragraphs") or [[], []])
            lines = [lo_text(xml_text(t)) for t in before]
            lines += [lo_text(xml_text(c)) for row in job["expected"] for c in row]
            lines += [lo_text(xml_text(t)) for t in after]
            got = texts[path].replace("\r\n", "\n")
            expected = "\n".join(lines) + "\n" if lines else ""
            if got != expected and got.rstrip("\n") != expected.rstrip("\n"):
                problems.append("%s (LibreOffice): text differs: %r ... expected %r ..." % (
                    path, got[:300], expected[:300]))
            continue
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

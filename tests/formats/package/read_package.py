#!/usr/bin/python3
"""Reads exported XLSX, DOCX, ODS and ODT packages back with independent
readers and compares what they see with the expected cell texts and values.

Usage: read_package.py JOBS.json
JOBS.json is a list of jobs:
  {"file": path, "format": "xlsx" | "docx" | "ods" | "odt",
   "libreoffice": true|false,
   "expected": [[cell, ...], ...],       (rows as the table shows them)
   "values": [[[type, value, number format] | null, ...], ...],   (xlsx, ods)
   "shown": [[cell, ...], ...],          (the texts our CSV export writes)
   "locale": "tr_TR",                    (the locale the export ran under)
   "paragraphs": [[text, ...], [text, ...]]}       (odt: before, after the table)
Checks, per package: `unzip -tq`; `xmllint --noout` on every part;
openpyxl (every cell's value as its type, typed cells with the number
format of their column) or python-docx (the w:t and w:br elements of every
w:tc of the table); LibreOffice converts every asked-for package in one
call per format and locale (XLSX and ODS to CSV as the cells are shown,
DOCX to TXT) and its output is compared too: with the texts of our CSV
export when the job has them, else with the expected texts. OpenDocument
packages must also have their "mimetype" entry first and stored, and pass
odflint; odfpy reads the ODS cells (value type, value, text and the data
style of typed cells) and the ODT table cells and paragraphs. Expected
texts lose the characters XML 1.0 does not allow, as any reader must.
Prints every difference and exits 1 when there is one.
"""
import csv
import datetime
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


def data_styles(document):
    """The data style of every automatic cell style, by the cell style's name."""
    from odf.number import BooleanStyle, CurrencyStyle, DateStyle, NumberStyle, TimeStyle
    from odf.style import Style
    names = set()
    for kind in (BooleanStyle, CurrencyStyle, DateStyle, NumberStyle, TimeStyle):
        names.update(s.getAttribute("name") for s in document.automaticstyles.getElementsByType(kind))
    styles = {}
    for style in document.automaticstyles.getElementsByType(Style):
        data = style.getAttribute("datastylename")
        styles[style.getAttribute("name")] = data if data in names else None
    return styles


def read_ods(path):
    """Per cell (text, value type, value, data style)."""
    from odf.opendocument import load
    from odf.table import Table, TableRow, TableCell
    document = load(path)
    styles = data_styles(document)
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
            cells.append((odf_cell_text(cell), kind, value, styles.get(cell.getAttribute("stylename"))))
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
            got = cells[r][c] if r < len(cells) and c < len(cells[r]) else ("", None, None, None)
            kind, value = expected[:2]
            if got[1] != kind or (kind != "string" and not same_value(kind, value, got[2])):
                problems.append("%s (odfpy): row %d cell %d is %s %r, expected %s %r" % (
                    path, r + 1, c + 1, got[1], got[2], kind, value))
                return
            if kind != "string" and got[3] is None:
                problems.append("%s (odfpy): row %d cell %d (%s) has no data style" % (path, r + 1, c + 1, kind))
                return


def xlsx_kind(kind, value):
    """The XLSX cell's kind: a date before 1900 has no serial and stays text."""
    if kind == "date" and int(value[:4]) < 1900:
        return "string"
    return kind


def same_xlsx_value(kind, value, got):
    """Whether openpyxl's value of a typed cell is the expected value."""
    if kind in ("float", "currency"):
        return isinstance(got, (int, float)) and not isinstance(got, bool) and same_value(kind, value, got)
    if kind == "boolean":
        return isinstance(got, bool) and got == (value == "true")
    if kind == "time":
        hour, minute, second = (int(g) for g in re.match(r"PT(\d+)H(\d+)M(\d+)", value).groups())
        return isinstance(got, datetime.time) and (got.hour, got.minute, got.second) == (hour, minute, second)
    if kind == "date":
        want = datetime.datetime.fromisoformat(value)
        return isinstance(got, datetime.datetime) and abs((got - want).total_seconds()) < 0.5
    return isinstance(got, str)


def cut_cell(text):
    """A spreadsheet cell holds at most 32,767 UTF-16 units; a longer text
    is cut, never inside a surrogate pair."""
    units = text.encode("utf-16-le")
    if len(units) <= 2 * 32767:
        return text
    units = units[:2 * 32767]
    if 0xD8 <= units[-1] <= 0xDB:
        units = units[:-2]
    return units.decode("utf-16-le")


def shown_texts(job):
    """The texts a spreadsheet should show: our CSV export's, else the expected ones."""
    rows = job.get("shown") or job["want"]
    rows = [[lo_text(xml_text(c)) for c in row] for row in rows]
    if job["format"] == "xlsx":
        rows = [[cut_cell(c) for c in row] for row in rows]
    else:
        # Calc (7.4) drops a text:tab of a cell paragraph on import,
        # although it writes tabs that way itself; odfpy checks the tabs.
        rows = [[c.replace("\t", "") for c in row] for row in rows]
    return trim(rows)


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


def read_xlsx(path, job, problems):
    """The cells' texts; typed cells must hold their values with their
    column's number format, text cells texts."""
    import openpyxl
    book = openpyxl.load_workbook(path)
    values = job.get("values", [])
    rows = []
    r = 0
    for sheet in book.worksheets:
        for row in sheet.iter_rows():
            cells = []
            for c, cell in enumerate(row):
                typed = values[r][c] if r < len(values) and c < len(values[r]) else None
                kind = xlsx_kind(typed[0], typed[1]) if typed else None
                if kind and not same_xlsx_value(kind, typed[1], cell.value):
                    problems.append("%s (openpyxl): %s is %r, expected %s %r" % (
                        path, cell.coordinate, cell.value, kind, typed[1]))
                    return []
                if kind and kind != "string" and cell.number_format != typed[2]:
                    problems.append("%s (openpyxl): %s has the number format %r, expected %r" % (
                        path, cell.coordinate, cell.number_format, typed[2]))
                    return []
                if kind and kind != "string":
                    cells.append(job["want"][r][c] if r < len(job["want"]) and c < len(job["want"][r]) else "")
                else:
                    cells.append("" if cell.value is None else str(cell.value))
            rows.append(cells)
            r += 1
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
    """Converts the jobs' files in one call per locale; the converted texts by file."""
    results = {}
    for locale in sorted({job.get("locale") or "" for job in jobs}):
        files = [job["file"] for job in jobs if (job.get("locale") or "") == locale]
        out = os.path.join(workdir, "lo-%s-%s" % (fmt, locale or "default"))
        profile = "file://" + os.path.join(workdir, "lo-profile-" + (locale or "default"))
        env = dict(os.environ)
        if locale:
            env["LANG"] = env["LC_ALL"] = locale + ".UTF-8"
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", target,
                        "--outdir", out] + files, capture_output=True, timeout=1800, env=env)
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
            compare(path, "openpyxl", [[cut_cell(c) for c in row] for row in want],
                    trim(read_xlsx(path, job, problems)), problems)
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
    # Comma, double quote, UTF-8, the cells' texts as shown.
    shown = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false"
    sheets = libreoffice([j for j in asked if j["format"] == "xlsx"], "xlsx", shown, workdir, problems)
    texts = libreoffice([j for j in asked if j["format"] == "docx"], "docx", "txt:Text (encoded):UTF8",
                        workdir, problems)
    sheets.update(libreoffice([j for j in asked if j["format"] == "ods"], "ods", shown, workdir, problems))
    texts.update(libreoffice([j for j in asked if j["format"] == "odt"], "odt", "txt:Text (encoded):UTF8",
                             workdir, problems))
    for job in asked:
        path = job["file"]
        if job["format"] in ("xlsx", "ods") and path in sheets:
            # One CSV per sheet is not what the filter gives; a continued
            # table is checked through openpyxl only.
            if job.get("sheets", 1) == 1:
                compare(path, "LibreOffice", shown_texts(job), trim(csv.reader(sheets[path].splitlines(True))),
                        problems)
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
        if job["format"] == "docx" and path in texts:
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

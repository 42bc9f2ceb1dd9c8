#!/usr/bin/python3
"""Reads workbooks of several tables back and compares each sheet with the
same sheet of the table's own single-table export.

Usage: read_workbook.py JOBS.json
JOBS.json is a list of jobs:
  {"workbook": path, "format": "xlsx" | "ods",
   "names": [sheet name, ...],              (every sheet, in order)
   "sheets": [{"sheet": index in the workbook, "single": path,
               "singleSheet": index in the single export}, ...]}
Checks, per workbook: `unzip -tq` and `xmllint --noout` on every part (and
the OpenDocument container checks with odflint); the sheet names; then per
compared sheet, openpyxl (every cell's value, number format, font, fill
and alignment, the rows' count and the columns' widths) or odfpy (every
cell's text, value type, value and the data style its cell style names,
resolved to the style's content, and the columns' widths). LibreOffice
converts every workbook and single export in one call, each sheet to a CSV
file of its own as the cells are shown, and the workbook's sheets must
show what the single exports show (skipped without soffice). Prints every difference and exits 1
when there is one.
"""
import json
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import read_package  # noqa: E402

# Comma, double quote, UTF-8, the cells' texts as shown, every sheet.
EVERY_SHEET_CSV = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"


def xlsx_sheet(path, index):
    import openpyxl
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[index]
    cells = []
    for row in sheet.iter_rows():
        for cell in row:
            cells.append((cell.coordinate, cell.value, cell.number_format, cell.font.name, cell.font.sz,
                          cell.font.b, cell.font.i, cell.fill.fgColor.rgb, cell.alignment.horizontal,
                          cell.alignment.wrap_text))
    widths = {letter: dim.width for letter, dim in sheet.column_dimensions.items()}
    return {"rows": sheet.max_row, "cells": cells, "widths": widths}


def xlsx_names(path):
    import openpyxl
    return openpyxl.load_workbook(path, read_only=True).sheetnames


def ods_styles(document):
    """Per automatic cell and column style name, what it stands for: the data
    style's content for a cell style, the width for a column style."""
    from odf.number import BooleanStyle, CurrencyStyle, DateStyle, NumberStyle, TimeStyle
    from odf.style import Style

    def content(element):
        parts = [element.qname[1] + repr(sorted((k[1], v) for k, v in element.attributes.items()
                                                if k[1] not in ("name", "data-style-name")))]
        for child in element.childNodes:
            if child.nodeType == child.ELEMENT_NODE:
                parts.append(content(child))
            elif child.nodeType == child.TEXT_NODE:
                parts.append(repr(str(child)))
        return "(" + " ".join(parts) + ")"

    data = {}
    for kind in (BooleanStyle, CurrencyStyle, DateStyle, NumberStyle, TimeStyle):
        for style in document.automaticstyles.getElementsByType(kind):
            data[style.getAttribute("name")] = content(style)
    resolved = {}
    for style in document.automaticstyles.getElementsByType(Style):
        name = style.getAttribute("name")
        if style.getAttribute("family") == "table-column":
            resolved[name] = content(style)
        else:
            resolved[name] = (data.get(style.getAttribute("datastylename")), content(style))
    return resolved


def ods_tables(path):
    from odf.opendocument import load
    from odf.table import Table
    document = load(path)
    return document, document.spreadsheet.getElementsByType(Table)


def ods_sheet(path, index):
    from odf.table import TableCell, TableColumn, TableRow
    document, tables = ods_tables(path)
    styles = ods_styles(document)
    table = tables[index]
    widths = [styles.get(c.getAttribute("stylename"), c.getAttribute("stylename"))
              for c in table.getElementsByType(TableColumn)]
    rows = []
    for row in table.getElementsByType(TableRow):
        cells = []
        for cell in row.getElementsByType(TableCell):
            kind = cell.getAttribute("valuetype")
            value = None
            for attribute in ("value", "datevalue", "timevalue", "booleanvalue"):
                if cell.getAttribute(attribute) is not None:
                    value = cell.getAttribute(attribute)
            name = cell.getAttribute("stylename")
            cells.append((read_package.odf_cell_text(cell), kind, value, styles.get(name, name)))
        rows.append(cells)
    return {"rows": len(rows), "cells": rows, "widths": widths}


def ods_names(path):
    return [table.getAttribute("name") for table in ods_tables(path)[1]]


def first_difference(got, want):
    for key in want:
        if got[key] != want[key]:
            if isinstance(want[key], list):
                for i, (g, w) in enumerate(zip(got[key], want[key])):
                    if g != w:
                        return "%s[%d] is %r, expected %r" % (key, i, g, w)
                return "%s has %d entries, expected %d" % (key, len(got[key]), len(want[key]))
            return "%s is %r, expected %r" % (key, got[key], want[key])
    return None


def lo_sheets(files, workdir):
    """Every sheet of every file as LibreOffice shows it, from one conversion
    of all files: per file the CSV texts of its sheets, in sheet order (as
    LibreOffice reports them written; it may rename a sheet)."""
    out = os.path.join(workdir, "lo-sheets")
    profile = "file://" + os.path.join(workdir, "lo-profile")
    result = subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to",
                            EVERY_SHEET_CSV, "--outdir", out] + files, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, timeout=1800)
    sheets = {}
    current = None
    for line in result.stdout.splitlines():
        converting = re.match(r"convert (.*) using filter", line)
        if converting:
            current = sheets.setdefault(os.path.abspath(converting.group(1)), [])
            continue
        written = re.match(r"Writing sheet .* -> (.*)$", line)
        if written and current is not None:
            with open(written.group(1), encoding="utf-8-sig", newline="") as f:
                current.append(f.read())
    return sheets


def lo_sheet_text(sheets, path, index, problems):
    texts = sheets.get(os.path.abspath(path), [])
    if index >= len(texts):
        problems.append("%s: LibreOffice gave %d sheets, not sheet %d" % (path, len(texts), index + 1))
        return None
    return texts[index]


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        jobs = json.load(f)
    problems = []
    workdir = os.path.dirname(os.path.abspath(sys.argv[1]))
    lo_files = []
    for job in jobs:
        path = job["workbook"]
        read_package.check_container(path, problems)
        if job["format"] == "ods":
            read_package.check_opendocument(path, problems)
        names = xlsx_names(path) if job["format"] == "xlsx" else ods_names(path)
        if names != job["names"]:
            problems.append("%s: sheets %r, expected %r" % (path, names, job["names"]))
            continue
        read = xlsx_sheet if job["format"] == "xlsx" else ods_sheet
        for sheet in job["sheets"]:
            got = read(path, sheet["sheet"])
            want = read(sheet["single"], sheet.get("singleSheet", 0))
            difference = first_difference(got, want)
            if difference:
                problems.append("%s: sheet %r: %s (as in %s)" % (path, names[sheet["sheet"]], difference,
                                                                  sheet["single"]))
        lo_files.append(path)
        lo_files.extend(sorted({sheet["single"] for sheet in job["sheets"]} - set(lo_files)))
    if lo_files and not problems and shutil.which("soffice"):
        sheets = lo_sheets(lo_files, workdir)
        for job in jobs:
            path = job["workbook"]
            got_sheets = sheets.get(os.path.abspath(path), [])
            if len(got_sheets) != len(job["names"]):
                problems.append("%s (LibreOffice): %d sheets, expected %d" % (path, len(got_sheets), len(job["names"])))
            for sheet in job["sheets"]:
                got = lo_sheet_text(sheets, path, sheet["sheet"], problems)
                want = lo_sheet_text(sheets, sheet["single"], sheet.get("singleSheet", 0), problems)
                if got is not None and want is not None and got != want:
                    problems.append("%s (LibreOffice): sheet %r shows %r ..., expected %r ..." % (
                        path, job["names"][sheet["sheet"]], got[:200], want[:200]))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Reads exported workbooks back with independent readers and compares what
they see with what the exporter wrote.

Usage: read_xls.py JOBS.json
JOBS.json is a list of jobs:
  {"file": path, "readers": ["xlrd", "libreoffice"],
   "sheets": [{"name": title, "rows": [[cell, ...], ...]}, ...],
   (a sheet may instead give "nrows" and "sample": the row numbers, from 0,
   of its "rows", for tables too big to compare whole)
   "cells": [{"sheet": 0, "row": 0, "col": 0, "bold": true, "italic": false,
              "font": "arial", "height": 200, "colour": 8, "format": "General",
              "formula": true}, ...],
   "widths": [{"sheet": 0, "col": 0, "width": 2560}, ...]}
A cell is {"t": "s", "v": text}, {"t": "n", "v": number}, {"t": "d", "v":
serial, "text": shown text}, {"t": "b", "v": true} or {"t": "e"} (blank).
olefile checks the container of every file; xlrd reads values, types, formats,
fonts and widths; LibreOffice converts every file to CSV in one call and must
show the same values (dates as their texts). Prints every difference and exits
1 when there is one.
"""
import csv
import datetime
import json
import os
import struct
import subprocess
import sys
import tempfile

import olefile
import xlrd

csv.field_size_limit(sys.maxsize)


def same_number(a, b):
    try:
        a, b = float(a), float(b)
    except (TypeError, ValueError):
        return False
    return a == b or abs(a - b) <= 1e-9 * max(abs(a), abs(b))


def check_container(job, problems):
    path = job["file"]
    if not olefile.isOleFile(path):
        problems.append("%s: not a compound file" % path)
        return
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    if not ole.exists("Workbook"):
        problems.append("%s: no Workbook stream" % path)
    else:
        check_dimensions(job, ole.openstream("Workbook").read(), problems)
    ole.close()


def check_dimensions(job, stream, problems):
    """Every sheet's DIMENSIONS record covers the rows the sheet holds."""
    at, sheet = 0, -1
    while at + 4 <= len(stream):
        rid, length = struct.unpack_from("<HH", stream, at)
        if rid == 0x0809 and struct.unpack_from("<H", stream, at + 6)[0] == 0x0010:
            sheet += 1
        elif rid == 0x0200 and 0 <= sheet < len(job["sheets"]):
            first, last = struct.unpack_from("<II", stream, at + 4)
            want = job["sheets"][sheet]
            nrows = want.get("nrows", len(want["rows"]))
            if nrows and last != nrows and "nrows" in want:
                problems.append("%s sheet %d: DIMENSIONS end at row %d, %d rows expected" % (job["file"], sheet, last, nrows))
        at += 4 + length


def sheet_rows(sheet):
    """(row number, cells) pairs and the number of rows expected."""
    rows = sheet["rows"]
    if "sample" in sheet:
        return list(zip(sheet["sample"], rows)), sheet["nrows"]
    nrows = len(rows)
    while nrows and all(c["t"] == "e" for c in rows[nrows - 1]):
        nrows -= 1
    return list(enumerate(rows[:nrows])), nrows


def check_xlrd(job, problems):
    book = xlrd.open_workbook(job["file"], formatting_info=True, on_demand=False)
    names = [s["name"] for s in job["sheets"]]
    if book.sheet_names() != names:
        problems.append("xlrd %s: sheets %r, expected %r" % (job["file"], book.sheet_names(), names))
        return
    for index, want in enumerate(job["sheets"]):
        sheet = book.sheet_by_index(index)
        rows, nrows = sheet_rows(want)
        if sheet.nrows != nrows:
            problems.append("xlrd %s/%s: %d rows read, %d expected" % (job["file"], want["name"], sheet.nrows, nrows))
        for r, row in rows:
            if r >= sheet.nrows:
                break
            for c, cell in enumerate(row):
                got = sheet.cell(r, c) if c < sheet.row_len(r) else xlrd.sheet.Cell(xlrd.XL_CELL_EMPTY, "")
                problem = compare_xlrd_cell(book, cell, got)
                if problem:
                    problems.append("xlrd %s/%s row %d col %d: %s" % (job["file"], want["name"], r + 1, c + 1, problem))
                    if len(problems) > 30:
                        return
    for check in job.get("cells", []):
        sheet = book.sheet_by_index(check["sheet"])
        cell = sheet.cell(check["row"], check["col"])
        xf = book.xf_list[cell.xf_index]
        font = book.font_list[xf.font_index]
        seen = {"bold": bool(font.bold), "italic": bool(font.italic), "font": font.name, "height": font.height,
                "colour": font.colour_index, "format": book.format_map[xf.format_key].format_str,
                "value": cell.value, "underline": font.underline_type, "pattern": xf.background.fill_pattern,
                "fill": xf.background.pattern_colour_index, "halign": xf.alignment.hor_align}
        for key, value in check.items():
            if key in ("sheet", "row", "col"):
                continue
            ok = same_number(seen[key], value) if key == "value" else seen[key] == value
            if not ok:
                problems.append("xlrd %s sheet %d cell (%d,%d): %s is %r, expected %r" % (
                    job["file"], check["sheet"], check["row"], check["col"], key, seen[key], value))
    for check in job.get("widths", []):
        info = book.sheet_by_index(check["sheet"]).colinfo_map.get(check["col"])
        width = info.width if info else None
        if width != check["width"]:
            problems.append("xlrd %s sheet %d column %d: width %r, expected %r" % (
                job["file"], check["sheet"], check["col"], width, check["width"]))


def compare_xlrd_cell(book, want, got):
    kind = want["t"]
    if kind == "e":
        return None if got.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK) else "blank expected, read %r" % got
    if kind == "s":
        return None if got.ctype == xlrd.XL_CELL_TEXT and got.value == want["v"] else "text %r expected, read %r" % (want["v"], got)
    if kind == "n":
        return None if got.ctype == xlrd.XL_CELL_NUMBER and same_number(got.value, want["v"]) else "number %r expected, read %r" % (want["v"], got)
    if kind == "d":
        return None if got.ctype == xlrd.XL_CELL_DATE and same_number(got.value, want["v"]) else "date %r expected, read %r (format %r)" % (
            want["v"], got, book.format_map[book.xf_list[got.xf_index].format_key].format_str)
    if kind == "b":
        return None if got.ctype == xlrd.XL_CELL_BOOLEAN and bool(got.value) == want["v"] else "boolean %r expected, read %r" % (want["v"], got)
    return "unknown expectation %r" % want


def lo_text(text):
    return text.replace("\r\n", "\n").replace("\r", "\n")


def lo_serial(text):
    """LibreOffice writes date cells in the US notation; their serial counts
    days from 30 December 1899 (it has no 29 February 1900, so dates before
    March 1900 show one day earlier than in Excel, with the same serial)."""
    for pattern in ("%m/%d/%Y %H:%M:%S", "%m/%d/%Y %H:%M", "%m/%d/%Y"):
        try:
            moment = datetime.datetime.strptime(text, pattern)
        except ValueError:
            continue
        delta = moment - datetime.datetime(1899, 12, 30)
        return delta.days + delta.seconds / 86400.0
    return None


def expected_lo(cell):
    kind = cell["t"]
    if kind == "e":
        return ""
    if kind == "b":
        return "1" if cell["v"] else "0"
    if kind == "d":
        return cell["text"]
    if kind == "n":
        return cell["v"]
    return lo_text(cell["v"])


def check_libreoffice(jobs, problems):
    with tempfile.TemporaryDirectory(prefix="verimo-lo-xls-") as workdir:
        outdir = os.path.join(workdir, "out")
        # One CSV per sheet of every file, in one call.
        subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(workdir, "profile"), "--headless",
                        "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,false,false,false,-1",
                        "--outdir", outdir] + [job["file"] for job in jobs],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=1800)
        for job in jobs:
            base = os.path.splitext(os.path.basename(job["file"]))[0]
            for index, sheet in enumerate(job["sheets"]):
                candidates = [os.path.join(outdir, "%s-%s.csv" % (base, sheet["name"]))]
                if len(job["sheets"]) == 1:
                    candidates.append(os.path.join(outdir, base + ".csv"))
                path = next((p for p in candidates if os.path.exists(p)), None)
                if path is None:
                    problems.append("libreoffice could not convert %s sheet %s" % (job["file"], sheet["name"]))
                    continue
                with open(path, newline="", encoding="utf-8") as f:
                    rows = [row for row in csv.reader(f)]
                compare_lo(job, sheet, rows, problems)


def compare_lo(job, sheet, rows, problems):
    want_rows, nrows = sheet_rows(sheet)
    if len(rows) != nrows:
        problems.append("libreoffice %s/%s: %d rows read, %d expected" % (job["file"], sheet["name"], len(rows), nrows))
    for r, want in want_rows:
        if r >= len(rows):
            break
        got = rows[r]
        for c, cell in enumerate(want):
            value = got[c] if c < len(got) else ""
            expected = expected_lo(cell)
            if cell["t"] == "n":
                ok = same_number(value, expected)
            elif cell["t"] == "d":
                serial = lo_serial(value)
                ok = serial is not None and abs(serial - cell["v"]) < 1.5 / 86400
                expected = "serial %r" % cell["v"]
            else:
                ok = value == expected
            if not ok:
                problems.append("libreoffice %s/%s row %d col %d: %r expected, read %r" % (
                    job["file"], sheet["name"], r + 1, c + 1, expected, value))
                if len(problems) > 30:
                    return


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        jobs = json.load(f)
    problems = []
    for job in jobs:
        check_container(job, problems)
        if "xlrd" in job["readers"]:
            try:
                check_xlrd(job, problems)
            except Exception as error:  # noqa: BLE001 - every failure is a finding
                problems.append("xlrd %s: %s: %s" % (job["file"], type(error).__name__, error))
    lo_jobs = [job for job in jobs if "libreoffice" in job["readers"]]
    if lo_jobs:
        check_libreoffice(lo_jobs, problems)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

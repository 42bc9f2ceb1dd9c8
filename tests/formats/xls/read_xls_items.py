#!/usr/bin/python3
"""Reads the items of exported workbooks back with independent readers.

Usage: read_xls_items.py JOBS.json [--no-libreoffice]
JOBS.json holds:
  "items": {"file": path, "notes": [[row, col, text], ...],
            "links": [[row, col, type, url or path, description, tooltip], ...],
                    "merged": number of ranges, "merged_first": [rlo, rhi, clo, chi],
            "cells": [[row, col, "s" | "n" | "b" | "d", value], ...],
            "sheet": index of the sheet, 0 when not given}
     xlrd must read exactly these notes and hyperlinks, that many merged
     ranges (the first as given, in xlrd's half-open form) and these cells.
  "charts": {"file": path, "count": charts, "refs": [range, ...], "media": n,
             "bitmaps": [[width, height], ...]}
     LibreOffice converts the file to XLSX; it must hold that many charts in
     xl/charts/, every range of "refs" in some series, and n pictures in
     xl/media/. The workbook stream must hold one background (BITMAP record
     and its CONTINUE records) of 24-bit pixels per size given.
  Either may also be a list of such jobs.
  "libreoffice": [path, ...]: files LibreOffice must open (converted to XLSX
     in one call).
Positions are 0-based. Prints every difference; exits 1 when there is one.
"""
import json
import os
import struct
import subprocess
import sys
import tempfile
import zipfile

import olefile
import xlrd


def check_items(job, problems):
    book = xlrd.open_workbook(job["file"], formatting_info=True)
    sheet = book.sheet_by_index(job.get("sheet", 0))
    notes = {key: note.text for key, note in sheet.cell_note_map.items()}
    want_notes = {(r, c): text for r, c, text in job["notes"]}
    if notes != want_notes:
        for key in sorted(set(notes) | set(want_notes)):
            if notes.get(key) != want_notes.get(key):
                problems.append("note at %r: read %r, expected %r" % (key, (notes.get(key) or "")[:60], (want_notes.get(key) or "")[:60]))
    links = {(h.frowx, h.fcolx): h for h in sheet.hyperlink_list}
    if len(links) != len(job["links"]):
        problems.append("%d hyperlinks read, %d expected" % (len(links), len(job["links"])))
    for r, c, kind, target, desc, tip in job["links"]:
        link = links.get((r, c))
        if link is None:
            problems.append("no hyperlink at (%d, %d)" % (r, c))
            continue
        seen = (link.type, link.url_or_path, link.desc, link.quicktip)
        if seen != (kind, target, desc, tip):
            problems.append("hyperlink at (%d, %d): read %r, expected %r" % (r, c, seen, (kind, target, desc, tip)))
    if len(sheet.merged_cells) != job["merged"]:
        problems.append("%d merged ranges read, %d expected" % (len(sheet.merged_cells), job["merged"]))
    elif sheet.merged_cells and list(sheet.merged_cells[0]) != job["merged_first"]:
        problems.append("first merged range %r, expected %r" % (sheet.merged_cells[0], job["merged_first"]))
    types = {"s": xlrd.XL_CELL_TEXT, "n": xlrd.XL_CELL_NUMBER, "b": xlrd.XL_CELL_BOOLEAN, "d": xlrd.XL_CELL_DATE}
    for r, c, kind, value in job["cells"]:
        cell = sheet.cell(r, c) if r < sheet.nrows and c < sheet.row_len(r) else None
        if cell is None or cell.ctype != types[kind] or cell.value != value:
            problems.append("cell (%d, %d): read %r, expected %s %r" % (r, c, cell, kind, value))


def check_bitmaps(job, problems):
    """BITMAP records: format 9, a 12-byte core header and bottom-up rows of
    24-bit pixels, each padded to 4 bytes, over the record and its CONTINUEs."""
    ole = olefile.OleFileIO(job["file"])
    stream = ole.openstream("Workbook").read()
    ole.close()
    found, at = [], 0
    while at + 4 <= len(stream):
        rid, length = struct.unpack_from("<HH", stream, at)
        if rid == 0x00E9:
            data = stream[at + 4:at + 4 + length]
            nxt = at + 4 + length
            while nxt + 4 <= len(stream) and struct.unpack_from("<H", stream, nxt)[0] == 0x003C:
                more = struct.unpack_from("<H", stream, nxt + 2)[0]
                data += stream[nxt + 4:nxt + 4 + more]
                nxt += 4 + more
            fmt, env, size, header, width, height, planes, bits = struct.unpack_from("<HHIIHHHH", data, 0)
            stride = (width * 3 + 3) & ~3
            if (fmt, env, header, planes, bits) != (9, 1, 12, 1, 24) or size != 12 + stride * height or len(data) != 8 + size:
                problems.append("%s: malformed BITMAP %r" % (job["file"], (fmt, env, size, header, width, height, planes, bits, len(data))))
            found.append([width, height])
            at = nxt
            continue
        at += 4 + length
    if found != job["bitmaps"]:
        problems.append("%s: backgrounds %r, expected %r" % (job["file"], found, job["bitmaps"]))


def convert(files, workdir, problems):
    outdir = os.path.join(workdir, "out")
    subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(workdir, "profile"), "--headless",
                    "--convert-to", "xlsx", "--outdir", outdir] + files,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=600)
    converted = {}
    for path in files:
        target = os.path.join(outdir, os.path.splitext(os.path.basename(path))[0] + ".xlsx")
        if os.path.exists(target):
            converted[path] = target
        else:
            problems.append("LibreOffice could not open %s" % path)
    return converted


def check_charts(job, xlsx, problems):
    with zipfile.ZipFile(xlsx) as package:
        names = package.namelist()
        charts = [n for n in names if n.startswith("xl/charts/chart") and n.endswith(".xml")]
        media = [n for n in names if n.startswith("xl/media/")]
        formulas = " ".join(package.read(n).decode("utf-8") for n in charts)
    if len(charts) != job["count"]:
        problems.append("%d charts in the XLSX, %d expected" % (len(charts), job["count"]))
    for ref in job["refs"]:
        if ref not in formulas:
            problems.append("no chart series refers to %s" % ref)
    if len(media) != job["media"]:
        problems.append("%d pictures in xl/media (%r), %d expected" % (len(media), media, job["media"]))


def as_list(jobs):
    if jobs is None:
        return []
    return jobs if isinstance(jobs, list) else [jobs]


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        jobs = json.load(f)
    use_lo = "--no-libreoffice" not in sys.argv
    problems = []
    for job in as_list(jobs.get("charts")):
        check_bitmaps(job, problems)
    for job in as_list(jobs.get("items")):
        try:
            check_items(job, problems)
        except Exception as error:  # noqa: BLE001 - every failure is a finding
            problems.append("xlrd %s: %s: %s" % (job["file"], type(error).__name__, error))
    if use_lo and jobs.get("libreoffice"):
        with tempfile.TemporaryDirectory(prefix="verimo-lo-items-") as workdir:
            converted = convert(jobs["libreoffice"], workdir, problems)
            for job in as_list(jobs.get("charts")):
                if job["file"] in converted:
                    check_charts(job, converted[job["file"]], problems)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

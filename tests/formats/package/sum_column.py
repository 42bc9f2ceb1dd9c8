#!/usr/bin/python3
"""Writes a sum under the second column of DIR/sum.xlsx (openpyxl) and
DIR/sum.ods (odfpy), has LibreOffice compute and convert both to CSV, and
prints the two sums, one per line.

Usage: sum_column.py DIR LAST_ROW
LAST_ROW is the sheet's last data row (from 1); the sum goes below it.
"""
import csv
import os
import subprocess
import sys


def add_xlsx_sum(path, target, last):
    import openpyxl
    book = openpyxl.load_workbook(path)
    book.active.cell(row=last + 1, column=2).value = "=SUM(B2:B%d)" % last
    book.save(target)


def add_ods_sum(path, target, last):
    from odf.opendocument import load
    from odf.table import Table, TableCell, TableRow
    document = load(path)
    table = document.spreadsheet.getElementsByType(Table)[0]
    row = TableRow()
    row.addElement(TableCell())
    row.addElement(TableCell(formula="of:=SUM([.B2:.B%d])" % last, valuetype="float"))
    table.addElement(row)
    document.save(target)


def main():
    folder, last = sys.argv[1], int(sys.argv[2])
    files = [os.path.join(folder, "with-sum-xlsx.xlsx"), os.path.join(folder, "with-sum-ods.ods")]
    add_xlsx_sum(os.path.join(folder, "sum.xlsx"), files[0], last)
    add_ods_sum(os.path.join(folder, "sum.ods"), files[1], last)
    out = os.path.join(folder, "sums")
    profile = "file://" + os.path.join(folder, "lo-profile-sum")
    # The cells' raw values: the sum in its general notation.
    subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to",
                    "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false",
                    "--outdir", out] + files, capture_output=True, timeout=600)
    for path in files:
        converted = os.path.join(out, os.path.splitext(os.path.basename(path))[0] + ".csv")
        if not os.path.exists(converted):
            print("LibreOffice did not convert %s" % path)
            return 1
        with open(converted, encoding="utf-8-sig", newline="") as f:
            rows = list(csv.reader(f))
        print(rows[last][1])
    return 0


if __name__ == "__main__":
    sys.exit(main())

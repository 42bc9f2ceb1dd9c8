#!/usr/bin/python3
"""Reads a delimited file with Python's csv module and prints its rows:
cells separated by U+001F, rows ended by U+001E.

Usage: read_csv.py FILE DELIMITER ENCODING
"""
import csv
import sys

path, delimiter, encoding = sys.argv[1], sys.argv[2], sys.argv[3]
with open(path, newline="", encoding=encoding) as handle:
    for row in csv.reader(handle, delimiter=delimiter):
        sys.stdout.write("\x1f".join(row) + "\x1e")

#!/usr/bin/python3
"""Opens a compound file with olefile, strict about defects, and writes the
named stream's bytes to a file.

Usage: read_stream.py FILE STREAM OUT
"""
import sys

import olefile

ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
if ole.listdir() != [[sys.argv[2]]]:
    sys.exit("unexpected entries: %r" % ole.listdir())
with open(sys.argv[3], "wb") as out:
    out.write(ole.openstream(sys.argv[2]).read())

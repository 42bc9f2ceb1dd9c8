"""Compares an SQLite export with the JSON export of the same table.

usage: sqlite_read_back.py DB.sqlite TABLE OUT.json
Prints the key ("key: Id,Name" or "key: -") and then "ok", or what differs.
The JSON export is the reference for values: texts equal, numbers equal,
Booleans as 0/1, dates and times as ISO-8601 texts, binary values
byte-equal to the base64 the JSON holds.
"""
import base64
import decimal
import json
import sqlite3
import sys

db_path, table, json_path = sys.argv[1:4]
con = sqlite3.connect(db_path)
info = con.execute('PRAGMA table_info("%s")' % table.replace('"', '""')).fetchall()
keyed = sorted((row[5], row[1]) for row in info if row[5] > 0)
print('key:', ','.join(name for _, name in keyed) or '-')
for pk, name in keyed:
    if not [row for row in info if row[1] == name][0][3]:
        sys.exit('key column %s is not NOT NULL' % name)
types = {row[1]: row[2] for row in info}
names = [row[1] for row in info]
rows = con.execute('SELECT * FROM "%s"' % table.replace('"', '""')).fetchall()
with open(json_path, encoding='utf-8') as f:
    expected = json.load(f, parse_float=decimal.Decimal)
if len(rows) != len(expected):
    sys.exit('%d rows, expected %d' % (len(rows), len(expected)))


def same(declared, got, want):
    if want is None:
        return got is None
    if declared == 'BLOB':
        return isinstance(got, bytes) and got == base64.b64decode(want)
    if declared == 'INTEGER' and isinstance(want, bool):
        return got == int(want)
    if declared in ('INTEGER', 'REAL', ''):
        if isinstance(got, str):
            return declared == '' and decimal.Decimal(got) == decimal.Decimal(want)
        return isinstance(got, (int, float)) and decimal.Decimal(repr(got)) == decimal.Decimal(want)
    if declared == 'TEXT':
        text = str(want)
        if len(text) >= 19 and text[4] == '-' and text[10] == 'T':
            text = text[:10] + ' ' + text[11:]
        return isinstance(got, str) and got == text
    return False


for number, (got_row, want_row) in enumerate(zip(rows, expected), 1):
    for name, got in zip(names, got_row):
        want = want_row.get(name)
        if not same(types[name], got, want):
            sys.exit('record %d, %s (%s): %r, expected %r' % (number, name, types[name], got, want))
print('ok')

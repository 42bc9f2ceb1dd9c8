#!/usr/bin/python3
"""Checks exported XML documents through independent readers.

Usage: xml_read_back.py JOBS.json

Each job names a document, its layout, the schema written beside it (or
null), the names the exporter gave the record and the fields, and the
expected records. Every document must pass `xmllint --noout`; one with a
schema must also validate against it with `xmllint --schema` and refer to it
by name; then Python's xml.etree reads the values back and compares them
with the expected ones. Prints one line per difference; exit status 0 when
there is none.
"""

import datetime
import json
import math
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

XSI = "{http://www.w3.org/2001/XMLSchema-instance}noNamespaceSchemaLocation"
# Characters XML 1.0 allows; the exporter drops the others.
NOT_XML = re.compile("[^\u0009\u000a\u000d\u0020-\ud7ff\ue000-\ufffd\U00010000-\U0010ffff]")
EPOCH = datetime.datetime(1899, 12, 30)


def serial_to_datetime(serial):
    """A day count since 30 December 1899 as the date and time it stands for:
    the whole days count from the epoch (backwards when negative), the
    fraction is the time of day in either direction."""
    days = math.trunc(serial)
    milliseconds = round(abs(serial - days) * 86400000)
    return EPOCH + datetime.timedelta(days=days, milliseconds=milliseconds)


def parse_lexical_datetime(text):
    match = re.fullmatch(r"(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)(?:\.(\d{1,3}))?", text)
    if not match:
        return None
    year, month, day, hour, minute, second = (int(part) for part in match.groups()[:6])
    millis = int((match.group(7) or "0").ljust(3, "0"))
    return datetime.datetime(year, month, day, hour, minute, second, millis * 1000)


def same_value(text, expected):
    kind = expected["kind"]
    value = expected["value"]
    if kind == "text":
        return text == NOT_XML.sub("", value)
    if kind == "int":
        return re.fullmatch(r"-?\d+", text) is not None and int(text) == value
    if kind == "float":
        return re.fullmatch(r"-?\d+(\.\d+)?", text) is not None and float(text) == float(value)
    if kind == "bool":
        return text == ("true" if value else "false")
    if kind == "date":
        return parse_lexical_datetime(text) == serial_to_datetime(value)
    return False


def run(command):
    result = subprocess.run(command, capture_output=True, text=True)
    return result.returncode, (result.stdout + result.stderr).strip()


def check_declaration(job, problems):
    with open(job["file"], "rb") as handle:
        head = handle.read(200)
    if job["encoding"] == "utf-16":
        if not head.startswith(b"\xff\xfe"):
            problems.append("no UTF-16 byte-order mark")
        head = head[2:].decode("utf-16-le", "replace")
        if 'encoding="UTF-16"' not in head.split("?>")[0]:
            problems.append("declaration does not name UTF-16: " + head.split("?>")[0])
    else:
        text = head.decode("utf-8", "replace")
        if text.startswith("\ufeff"):
            problems.append("UTF-8 document starts with a byte-order mark")
        declaration = text.split("?>")[0]
        if "encoding=" in declaration and 'encoding="UTF-8"' not in declaration:
            problems.append("declaration names another encoding: " + declaration)


def check_schema(job, root, problems):
    schema = job["schema"]
    with open(schema, "rb") as handle:
        if not handle.read(38).startswith(b'<?xml version="1.0" encoding="UTF-8"?>'):
            problems.append("schema does not start with its UTF-8 declaration")
    with open(schema, "rb") as handle:
        try:
            handle.read().decode("utf-8")
        except UnicodeDecodeError:
            problems.append("schema is not UTF-8")
    location = root.get(XSI)
    if location != os.path.basename(schema):
        problems.append("document refers to schema %r, not %r" % (location, os.path.basename(schema)))
    status, output = run(["xmllint", "--noout", "--schema", schema, job["file"]])
    if status != 0:
        problems.append("xmllint --schema: " + output[:600])


def records_of(job, root, problems):
    """The records as lists of (text or None) per field."""
    names = job["names"]
    records = []
    if job["layout"] == "datapacket":
        if root.tag != "DATAPACKET":
            problems.append("root is " + root.tag)
            return []
        fields = root.find("METADATA/FIELDS")
        if job["captions"]:
            found = [field.get("FieldName") for field in fields] if fields is not None else None
            if found != names:
                problems.append("field list %r, expected %r" % (found, names))
        for row in root.find("ROWDATA"):
            unknown = set(row.attrib) - set(names)
            if unknown:
                problems.append("unknown attributes %r" % sorted(unknown))
            records.append([row.get(name) for name in names])
        return records
    if root.tag != "dataroot":
        problems.append("root is " + root.tag)
        return []
    for record in root:
        if record.tag != job["record"]:
            problems.append("record element %r, expected %r" % (record.tag, job["record"]))
        children = {}
        for child in record:
            if child.tag in children:
                problems.append("field %r twice in one record" % child.tag)
            children[child.tag] = child.text or ""
        unknown = set(children) - set(names)
        if unknown:
            problems.append("unknown elements %r" % sorted(unknown))
        records.append([children.get(name) for name in names])
    return records


def check_job(job):
    problems = []
    status, output = run(["xmllint", "--noout", job["file"]])
    if status != 0:
        return ["xmllint --noout: " + output[:600]]
    check_declaration(job, problems)
    try:
        root = ET.parse(job["file"]).getroot()
    except ET.ParseError as error:
        return problems + ["xml.etree: %s" % error]
    if job["schema"]:
        check_schema(job, root, problems)
    records = records_of(job, root, problems)
    expected = job["expected"]
    if len(records) != len(expected):
        problems.append("%d records, expected %d" % (len(records), len(expected)))
    for number, (got, want) in enumerate(zip(records, expected)):
        for name, text, cell in zip(job["names"], got, want):
            if cell is None:
                if text is not None:
                    problems.append("record %d %s: %r for a null" % (number, name, text))
            elif text is None:
                problems.append("record %d %s: missing, expected %r" % (number, name, cell["value"]))
            elif not same_value(text, cell):
                problems.append("record %d %s: %r, expected %s %r" % (number, name, text, cell["kind"], cell["value"]))
        if len(problems) > 20:
            break
    return problems


def main():
    with open(sys.argv[1], encoding="utf-8") as handle:
        jobs = json.load(handle)
    failed = False
    for job in jobs:
        for problem in check_job(job)[:20]:
            failed = True
            print("%s: %s" % (job["file"], problem))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

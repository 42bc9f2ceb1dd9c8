#!/usr/bin/python3
"""verimo-cli export --clipboard under a virtual X server: once verimo-cli
has ended, the clipboard (read with xclip) holds the rows, equal to the
table's own values as `verimo-cli dump` prints them; without a desktop
session the run fails with a message and exit status 1.

usage: clipboard_test.py VERIMO_CLI TABLE.db   (run under xvfb-run)
"""
import os
import subprocess
import sys
import tempfile


def main():
    cli, table = sys.argv[1], sys.argv[2]
    problems = []
    with tempfile.TemporaryDirectory(prefix="verimo-clipboard-") as work:
        settings = os.path.join(work, "fields.cfg")
        with open(settings, "w") as f:
            f.write("[IniVersion]\r\nNumber=400\r\n[FIELDS]\r\nfield0=Id\r\nfield1=Name\r\n")
        run = subprocess.run([cli, "export", "--quiet", "--clipboard", "--settings", settings, table],
                             capture_output=True, text=True)
        if run.returncode != 0:
            problems.append("export --clipboard failed: %s" % run.stderr.strip())
        pasted = subprocess.run(["xclip", "-selection", "clipboard", "-out"], capture_output=True,
                                timeout=30).stdout.decode("utf-8")
        dump = subprocess.run([cli, "dump", table], check=True, capture_output=True, text=True).stdout
        expected = ["Id,Name"] + ["%s,%s" % tuple(line.split("\t")[:2]) for line in dump.splitlines()[1:]]
        lines = pasted.split("\r\n")
        if lines and lines[-1] == "":
            lines.pop()
        if lines != expected:
            differ = next((i for i, (a, b) in enumerate(zip(lines, expected)) if a != b), min(len(lines), len(expected)))
            problems.append("clipboard line %d is %r, the table's %r (%d lines, %d expected)" % (
                differ, lines[differ] if differ < len(lines) else None,
                expected[differ] if differ < len(expected) else None, len(lines), len(expected)))
        if not any(c in pasted for c in "ĞğİıŞşÇçÖöÜü"):
            problems.append("no Turkish letter reached the clipboard")

        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        alone = subprocess.run([cli, "export", "--clipboard", table], capture_output=True, text=True, env=env)
        if alone.returncode != 1 or "desktop session" not in alone.stderr:
            problems.append("without a session: exit %d, %r" % (alone.returncode, alone.stderr.strip()))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

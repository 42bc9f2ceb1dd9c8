#!/usr/bin/python3
"""verimo-cli export onto a file system that fills up in the middle of the
export, for every built type with a file (the types, their numbers and
extensions come from `verimo-cli formats`), once as a plain export and once
through the export dialog's settings file (`export --settings`, the path of
the desktop program).

usage: full_disk_test.py VERIMO_CLI TABLE.db

Each export goes to a folder that already holds an earlier file of the
target's name (for Access an earlier database). The folder and $TMPDIR lie
on a small tmpfs in a mount namespace of the test's own (unshare), filled up
to a few kilobytes fewer than the export needs; where no namespace can be
made, a file-size limit (RLIMIT_FSIZE) below the export's size fails the
writes through the same code instead. The run must exit with 1 and say
why, leave the earlier file as it was, no partial or staging files beside
it, and nothing in $TMPDIR.
"""
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile

PAGE = 4096


def built_types(cli):
    """(list text, first extension, type number) of every type that writes
    a file; the types of the command line only (listed after an empty
    line) have no number. Columns: the type's name in 25 characters, its
    extensions in 16."""
    out = subprocess.run([cli, "formats"], check=True, capture_output=True, text=True).stdout
    dialog_types, _, command_line_types = out.partition("\n\n")
    types = []
    for lines, numbered in ((dialog_types.splitlines()[1:], True), (command_line_types.splitlines()[1:], False)):
        for number, line in enumerate(lines):
            name, extensions = line[:25].strip(), line[25:41].strip()
            if extensions not in ("", "-"):
                types.append((name, extensions.split(",")[0], number if numbered else None))
    return types


def dialog_settings(work, number, target):
    """A settings file of the export dialog naming the type and the target."""
    path = os.path.join(work, "dialog-%d.cfg" % number)
    with open(path, "w") as f:
        f.write("[GENERAL]\r\nExportType=%d\r\nFileName=%s\r\n" % (number, target))
    return path


def export(cli, table, target, env, preexec=None, settings=None):
    args = [cli, "export", "--quiet"]
    if settings:
        args += ["--settings", settings]
    return subprocess.run(args + [table, target], capture_output=True, text=True, env=env,
                          preexec_fn=preexec)


def listing(folder):
    """Every file below the folder with its content."""
    files = {}
    for base, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder)] = f.read()
    return files


def make_earlier(cli, table, ext, folder, env):
    """The earlier file of the target's name: a small export of its own type
    for databases (they are added to), plain bytes for the others."""
    target = os.path.join(folder, "out." + ext)
    if ext == "mdb":
        settings = os.path.join(folder, "one.cfg")
        with open(settings, "w") as f:
            f.write("[GENERAL]\r\nExportRecCount=1\r\n")
        result = export(cli, table, target, env, settings=settings)
        os.remove(settings)
        if result.returncode != 0:
            raise SystemExit("the earlier database was not made: " + result.stderr)
    else:
        with open(target, "wb") as f:
            f.write(b"the earlier file\n")
    return target


def run(cli, table, target, env, path, preexec=None):
    """One export of the table to the target, by `path`: None for a plain
    export, else the settings file of the dialog that names the target."""
    if path is None:
        return export(cli, table, target, env, preexec)
    return subprocess.run([cli, "export", "--quiet", "--settings", path, table], capture_output=True, text=True,
                          env=env, preexec_fn=preexec)


def sizes(cli, table, ext, number, env, work, through_dialog):
    """The bytes a full export writes beside the target and into $TMPDIR
    at most, and its largest single file."""
    folder = os.path.join(work, "measure")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    target = make_earlier(cli, table, ext, folder, env)
    settings = dialog_settings(work, number, target) if through_dialog else None
    result = run(cli, table, target, env, settings)
    if result.returncode != 0:
        raise SystemExit("the export to %s fails on a disk with room: %s" % (ext, result.stderr))
    files = listing(folder)
    total = sum(len(content) for content in files.values())
    largest = max(len(content) for content in files.values())
    shutil.rmtree(folder)
    return total, largest


def in_namespace():
    """Whether this process may mount a tmpfs (it runs in its own namespace)."""
    return os.environ.get("VERIMO_FULL_DISK_NAMESPACE") == "1"


def mount_tmpfs(folder, size):
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size, "tmpfs", folder], check=True)


def fill(folder, leave):
    """Fills the file system of `folder` up to `leave` free bytes."""
    filler = os.path.join(folder, ".filler")
    with open(filler, "wb") as f:
        free = os.statvfs(folder).f_bavail * os.statvfs(folder).f_frsize
        if free > leave:
            f.write(b"\0" * (free - leave))


def check_case(cli, table, name, ext, number, work, through_dialog):
    base_env = dict(os.environ, TMPDIR=os.path.join(work, "tmp"))
    os.makedirs(base_env["TMPDIR"], exist_ok=True)
    total, largest = sizes(cli, table, ext, number, base_env, work, through_dialog)
    folder = os.path.join(work, "case-%s-%s" % (ext, "dialog" if through_dialog else "plain"))
    os.makedirs(folder)
    preexec = None
    if in_namespace():
        mount_tmpfs(folder, 64 * PAGE + 2 * total)
    env = dict(base_env, TMPDIR=os.path.join(folder, "tmp"))
    os.makedirs(env["TMPDIR"])
    target = make_earlier(cli, table, ext, folder, env)
    if in_namespace():
        # Room for about half of what the export writes.
        fill(folder, max(PAGE, (total // 2) // PAGE * PAGE))
        cause = "No space left on device"
    else:
        limit = largest // 2

        def preexec():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit, resource.RLIM_INFINITY))
        cause = "File too large"
    before = listing(folder)
    settings = dialog_settings(work, number, target) if through_dialog else None
    result = run(cli, table, target, env, settings, preexec)
    after = listing(folder)
    problems = []
    if result.returncode != 1:
        problems.append("exit code %d, expected 1" % result.returncode)
    if cause not in result.stderr:
        problems.append("the message does not say %r: %r" % (cause, result.stderr.strip()))
    if after.keys() != before.keys():
        problems.append("files before %s, after %s" % (sorted(before), sorted(after)))
    elif after != before:
        problems.append("changed: %s" % sorted(k for k in after if after[k] != before[k]))
    if in_namespace():
        subprocess.run(["umount", folder], check=True)
    path = "dialog settings" if through_dialog else "export"
    return ["%s (.%s, %s): %s" % (name, ext, path, p) for p in problems]


def main():
    cli, table = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if not in_namespace() and shutil.which("unshare") and os.environ.get("VERIMO_FULL_DISK_NO_NAMESPACE") != "1":
        probe = subprocess.run(["unshare", "-rm", "true"], capture_output=True)
        if probe.returncode == 0:
            env = dict(os.environ, VERIMO_FULL_DISK_NAMESPACE="1")
            os.execvpe("unshare", ["unshare", "-rm", sys.executable] + sys.argv, env)
    print("full file system:", "tmpfs in a mount namespace" if in_namespace() else "file-size limit")
    work = tempfile.mkdtemp(prefix="verimo-full-disk-")
    problems = []
    try:
        types = built_types(cli)
        if not types:
            problems.append("verimo-cli formats lists no type")
        for name, ext, number in types:
            for through_dialog in (False, True) if number is not None else (False,):
                problems += check_case(cli, table, name, ext, number, work, through_dialog)
            print("checked", name)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

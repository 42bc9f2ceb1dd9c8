#!/usr/bin/python3
"""Runs a command on a pseudo-terminal and answers each "Enter password"
prompt with the next answer given ("^D" ends the input instead); prints what the terminal showed and
exits with the command's exit status (3 when it hangs).

    answer_prompts.py COMMAND [ARGS...] -- ANSWER...
"""
import os
import pty
import signal
import sys


def main():
    split = sys.argv.index("--")
    command, answers = sys.argv[1:split], sys.argv[split + 1:]
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(command[0], command)

    def give_up(*_):
        os.kill(pid, signal.SIGKILL)
        sys.stdout.write("timed out\n")
        sys.exit(3)

    signal.signal(signal.SIGALRM, give_up)
    signal.alarm(20)
    shown = b""
    answered = 0
    while True:
        try:
            data = os.read(fd, 4096)
        except OSError:  # the command closed the terminal
            break
        if not data:
            break
        shown += data
        while answers and shown.count(b"Enter password") > answered:
            answer = answers.pop(0)
            os.write(fd, b"\x04" if answer == "^D" else answer.encode() + b"\n")
            answered += 1
    _, status = os.waitpid(pid, 0)
    sys.stdout.write(shown.decode("utf-8", "replace"))
    sys.exit(os.waitstatus_to_exitcode(status))


main()

#!/usr/bin/env python3
"""Fails when a source file includes a header from a layer above its own.

usage: check-layers.py ROOT LAYER...

LAYER is the layer order from the bottom up, as the top-level CMakeLists.txt
lists it. A layer may include its own headers and those of every layer listed
before it. Layers joined by "|" ("cli|app") share one level and may not
include each other. Tests under tests/LAYER/ follow the rule of LAYER and may
also use tests/ and tools/ (the test support and the table generator).
Includes that name no layer (system headers, generated files, headers of the
same folder) are not checked.
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = {".c", ".cc", ".cpp", ".h", ".hpp"}


def parse_levels(groups):
    """Maps each layer folder to its level (0 = the ground floor)."""
    levels = {}
    for level, group in enumerate(groups):
        for layer in group.split("|"):
            levels[layer] = level
    return levels


def layer_of(path, levels):
    """The longest layer folder that holds path, or None."""
    best = None
    for layer in levels:
        if path == layer or path.startswith(layer + "/"):
            if best is None or len(layer) > len(best):
                best = layer
    return best


def check_file(relative, text, levels):
    """Yields one message per include that goes up."""
    tested = relative[len("tests/"):] if relative.startswith("tests/") else None
    own = layer_of(tested if tested is not None else relative, levels)
    if own is None:
        return
    for line_no, match in enumerate_includes(text):
        target = match
        if tested is not None and target.startswith(("tests/", "tools/")):
            continue
        other = layer_of(target, levels)
        if other is None or other == own:
            continue
        if levels[other] >= levels[own]:
            yield (f"{relative}:{line_no}: includes \"{target}\" from layer "
                   f"{other}, which is not below {own}")


def enumerate_includes(text):
    for match in INCLUDE.finditer(text):
        line_no = text.count("\n", 0, match.start()) + 1
        yield line_no, match.group(1)


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    root = pathlib.Path(argv[1])
    levels = parse_levels(argv[2:])
    problems = []
    for path in sorted(root.rglob("*")):
        relative = path.relative_to(root).as_posix()
        if relative.startswith((".git/", "build/")) or "/node_modules/" in relative:
            continue
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        problems.extend(check_file(relative, text, levels))
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f"{len(problems)} include(s) against the layer order", file=sys.stderr)
        return 1
    print("layer order kept")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

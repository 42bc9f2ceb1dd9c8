#!/usr/bin/python3
"""Every picture and local link target the README names exists in the tree,
and every anchor of its table of contents names one of its headings."""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
text = (root / "README.md").read_text(encoding="utf-8")
missing = []
for target in re.findall(r"\]\(([^)#\s]+)\)", text):
    if "://" in target:
        continue
    if not (root / target).exists():
        missing.append(target)


def anchor(heading):
    # GitHub's rule: lower case, punctuation dropped, spaces as hyphens.
    return re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")


anchors = {anchor(h) for h in re.findall(r"^#+ (.+)$", text, re.M)}
broken = [a for a in re.findall(r"\]\(#([^)]+)\)", text) if a not in anchors]
for target in missing:
    print(f"README names {target}, which is not in the tree")
for name in broken:
    print(f"README links to #{name}, which is no heading")
sys.exit(1 if missing or broken else 0)

#!/usr/bin/env python3
"""The baseline: a collections.Counter over the characters of UTF-8 files (or
one GB18030 file with --gb18030), sorted, with percentages, as users write it."""
import collections
import os
import sys

encoding = "utf-8"
paths = sys.argv[1:]
if paths and paths[0] == "--gb18030":
    encoding, paths = "gb18030", paths[1:]
counts = collections.Counter()
for top in paths:
    walk = os.walk(top) if os.path.isdir(top) else [("", [], [top])]
    for folder, _, names in walk:
        for name in names:
            with open(os.path.join(folder, name), encoding=encoding, errors="replace") as f:
                while chunk := f.read(1 << 22):
                    counts.update(chunk)
total = sum(counts.values())
out = sys.stdout
for rank, (c, n) in enumerate(counts.most_common(), 1):
    out.write(f"{rank}\t{c!r}\t{n}\t{100 * n / total:.4f}\n")

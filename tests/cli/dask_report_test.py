#!/usr/bin/env python3
"""The Dask map step on a LocalCluster of two workers gives the bytes of a
one-process run of the same corpus. Usage: dask_report_test.py QUILLET_REPORT"""
import os
import subprocess
import sys
import tempfile

try:
    import distributed  # noqa: F401
except ImportError:
    print("python3-distributed is not installed", file=sys.stderr)
    sys.exit(77)  # skipped

program = sys.argv[1]
script = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "dask_report.py")
poems = "/usr/share/games/fortunes/tang300.u8"
text = open(poems, encoding="utf-8").read() if os.path.exists(poems) else "床前明月光,疑是地上霜。\n" * 500

with tempfile.TemporaryDirectory() as corpus:
    lines = text.splitlines(keepends=True)
    for i in range(40):
        sub = os.path.join(corpus, f"d{i % 3}")
        os.makedirs(sub, exist_ok=True)
        part = "".join(lines[i * 37:(i + 3) * 37]).replace("\n", "\r\n" if i % 2 else "\n")
        encoding = "gb18030" if i % 5 == 0 else "utf-8"
        with open(os.path.join(sub, f"p{i}.txt"), "wb") as f:
            f.write(part.encode(encoding, errors="replace"))
    with open(os.path.join(corpus, "skip.md"), "w") as f:
        f.write("not counted")
    # Names with a line break, and in GBK bytes, as Windows archives unpack them.
    for name in (b"two\nlines.txt", "\u4e2d\u6587.txt".encode("gbk")):
        with open(os.path.join(os.fsencode(corpus), name), "wb") as f:
            f.write("\u7b2c\u4e00\u884c\u3002\n".encode("utf-8"))
    failures = 0
    for options in (["--format", "csv", "--order", "count", "--ignore-case"],
                    ["--format", "json", "--units", "code-unit", "--ignore", "的 之乎"],
                    ["--coverage", "50,90,99"], ["--count", "明月"]):
        direct = subprocess.run([program, "--quiet", *options, corpus], capture_output=True)
        cluster = subprocess.run([sys.executable, script, "--program", program, "--local-workers",
                                  "2", "--parts", "5", *options, "--", corpus], capture_output=True)
        same = direct.returncode == cluster.returncode == 0 and direct.stdout == cluster.stdout
        print(("ok   " if same else "FAIL ") + " ".join(options))
        if not same:
            failures += 1
            sys.stderr.buffer.write(cluster.stderr[-2000:])
    sys.exit(1 if failures else 0)

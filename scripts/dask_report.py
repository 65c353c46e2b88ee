#!/usr/bin/env python3
"""Counts a corpus on a Dask cluster with quillet-report: the files are split
into parts, each part is tallied by `quillet-report --format partial` on a
worker, and the partial tallies are merged into the final table here.

    dask_report.py [--scheduler ADDRESS | --local-workers N] [--parts K]
                   [quillet-report options] -- FILE|FOLDER ...

The workers must see the files under the same paths (a shared file system).
The exit status is quillet-report's: 0, 1 (some files unreadable), 2 (bad options).
"""
import argparse
import os
import subprocess
import sys
import tempfile

# Options that shape only the final table: kept for the merge, not for the parts.
OUTPUT_ONLY = {"--format": 1, "--top": 1, "--coverage": 1, "--bom": 0, "--per-file": 0,
               "--quiet": 0}


def split_options(options):
    """The options for the map step (counting only) and for the merge (all)."""
    counting, i = [], 0
    while i < len(options):
        name = options[i].split("=", 1)[0]
        if name in OUTPUT_ONLY:
            i += 1 + (OUTPUT_ONLY[name] if "=" not in options[i] else 0)
            continue
        counting.append(options[i])
        i += 1
    return counting


def tally_part(program, counting, files):
    """Runs on a worker: the partial tally of some files, with its exit status."""
    # Names are bytes ending with NUL: a GBK name or one with a line break
    # reaches the worker's quillet-report unchanged.
    with tempfile.NamedTemporaryFile("wb", suffix=".lst", delete=False) as listing:
        listing.write(b"".join(os.fsencode(f) + b"\0" for f in files))
    try:
        run = subprocess.run([program, *counting, "--quiet", "--format", "partial", "--null",
                              "--files-from", listing.name], capture_output=True)
    finally:
        os.unlink(listing.name)
    return run.returncode, run.stdout, run.stderr


def main():
    argv = sys.argv[1:]
    if "--" not in argv:
        sys.exit("usage: dask_report.py [--scheduler ADDRESS | --local-workers N] [--parts K] "
                 "[quillet-report options] -- FILE|FOLDER ...")
    cut = argv.index("--")
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--scheduler")
    parser.add_argument("--local-workers", type=int, default=2)
    parser.add_argument("--parts", type=int, default=0)
    parser.add_argument("--program", default="quillet-report")
    ours, options = parser.parse_known_args(argv[:cut])
    inputs = argv[cut + 1:]

    listing = subprocess.run([ours.program, *options, "--list", "--null", *inputs],
                             capture_output=True)
    if listing.returncode != 0:
        sys.stderr.buffer.write(listing.stderr)
        return listing.returncode
    files = [os.fsdecode(f) for f in listing.stdout.split(b"\0") if f]

    from dask.distributed import Client, LocalCluster
    cluster = None
    if ours.scheduler:
        client = Client(ours.scheduler)
    else:
        cluster = LocalCluster(n_workers=ours.local_workers, threads_per_worker=1,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        parts = ours.parts or max(1, 4 * len(client.scheduler_info()["workers"]))
        chunks = [files[i::parts] for i in range(parts) if files[i::parts]]
        counting = split_options(options)
        futures = client.map(tally_part, [ours.program] * len(chunks), [counting] * len(chunks),
                             chunks, pure=False)
        results = client.gather(futures)
    finally:
        client.close()
        if cluster:
            cluster.close()

    with tempfile.TemporaryDirectory() as tmp:
        partials = []
        for i, (status, out, err) in enumerate(results):
            sys.stderr.buffer.write(err)
            if status == 2:
                return 2
            partials.append(os.path.join(tmp, f"part{i}.partial"))
            with open(partials[-1], "wb") as f:
                f.write(out)
        if not partials:  # no file at all: the merge of an empty tally
            return subprocess.run([ours.program, *options, "--quiet"], stdin=subprocess.DEVNULL).returncode
        merged = subprocess.run([ours.program, *options, "--merge", *partials])
        return merged.returncode


if __name__ == "__main__":
    sys.exit(main())

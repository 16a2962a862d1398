#!/usr/bin/env python3
"""Performing ordered batches against a plain rename of the same count.

Each round makes a folder of COUNT empty files "file (1)" … "file (COUNT)" and
times, in turn, one rename of them:
  shift  `rename --chains --map shift.tsv`: each to "file (n+1)", one chain
  plain  `rename --map plain.tsv`: each to "new (n)", no order needed
  swap   `rename --chains --map swap.tsv`: pairs swapped, COUNT/2 cycles,
         each one exchange of two names (through a temporary name where the
         file system can't exchange)
and checks the listing after each. The figure is each batch's CPU time (user +
system of the tavix-cli process) over the plain rename's of the same round;
the median over the rounds is printed, with wall times.

  bench/chains-perform.py build/src/tavix-cli [COUNT] [ROUNDS] [FOLDER]

FOLDER (default /dev/shm/chains-perform) is emptied and used for the files; the
journals go to its "state" folder, as a rename without --journal keeps them.
"""
import os
import resource
import shutil
import statistics
import subprocess
import sys
import time

cli = os.path.abspath(sys.argv[1])
count = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
root = sys.argv[4] if len(sys.argv) > 4 else "/dev/shm/chains-perform"
files = os.path.join(root, "files")


def name(n):
    return f"file ({n})"


def write_map(path, pairs):
    with open(path, "w") as out:
        for old, new in pairs:
            out.write(f"{files}/{old}\t{new}\n")


def make_files():
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(files)
    os.makedirs(os.path.join(root, "state"))
    for n in range(1, count + 1):
        os.close(os.open(os.path.join(files, name(n)), os.O_CREAT | os.O_WRONLY, 0o644))


batches = {
    "plain": ([], [(name(n), f"new ({n})") for n in range(1, count + 1)]),
    "shift": (["--chains"], [(name(n), name(n + 1)) for n in range(1, count + 1)]),
    "swap": (["--chains"], [(name(n), name(n + 1 if n % 2 else n - 1))
                            for n in range(1, count + 1)]),
}
maps = {}
for key, (_, pairs) in batches.items():
    maps[key] = f"/tmp/chains-perform-{key}.tsv"
    write_map(maps[key], pairs)


def run(key):
    make_files()
    options, pairs = batches[key]
    env = dict(os.environ, XDG_STATE_HOME=os.path.join(root, "state"))
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    subprocess.run([cli, "rename", *options, "--map", maps[key]], env=env, check=True,
                   stdout=subprocess.DEVNULL)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    expected = sorted(new for _, new in pairs)
    if sorted(os.listdir(files)) != expected:
        sys.exit(f"{key}: the files aren't named as planned")
    return cpu, wall


figures = {key: [] for key in batches}
for r in range(rounds):
    for key in ("plain", "shift", "plain", "swap"):
        figures[key].append(run(key))
# Two plain runs a round: each ordered batch is set against the plain run just before it.
plain = figures["plain"]
for key, offset in (("shift", 0), ("swap", 1)):
    ratios = [c / plain[2 * i + offset][0] for i, (c, _) in enumerate(figures[key])]
    cpu = statistics.median(c for c, _ in figures[key])
    wall = statistics.median(w for _, w in figures[key])
    print(f"{key}: CPU {cpu:.3f} s, wall {wall:.3f} s; CPU / plain rename, median of "
          f"{rounds}: {statistics.median(ratios):.2f} (min {min(ratios):.2f}, "
          f"max {max(ratios):.2f})")
print(f"plain: CPU {statistics.median(c for c, _ in plain):.3f} s, "
      f"wall {statistics.median(w for _, w in plain):.3f} s")
shutil.rmtree(root, ignore_errors=True)

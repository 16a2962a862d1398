#!/usr/bin/env python3
"""Interleaved rounds of whole commands, CPU (user + sys) and wall of each, with
the within-round CPU ratios to a floor and to a reference: their minimum and
median. With RAW=FILE, every round's CPU times are kept there as well. Each command is timed by ../shared/perf's run1; PREPARE runs before
every run (untimed), e.g. to remake the files.

    moves-rounds.py ROUNDS PREPARE FLOOR REF LABEL=COMMAND ...
"""
import os
import shlex
import statistics
import subprocess
import sys

RUN1 = os.path.join(os.environ.get("PERF_BUILD", "/tmp/tavix-perf-build"), "run1")


def run(command):
    stdin = "/dev/null"
    if " < " in command:
        command, stdin = command.rsplit(" < ", 1)
    out = subprocess.run([RUN1, "-i", stdin.strip(), "-e", "/dev/null", "--"] + shlex.split(command),
                         stdout=subprocess.PIPE, check=True, text=True).stdout.split()
    if int(out[3]) != 0:
        sys.exit(f"failed: {command}")
    return float(out[0]) * 1000, float(out[1]) * 1000


def main():
    rounds, prepare, floor, ref = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    commands = [arg.split("=", 1) for arg in sys.argv[5:]]
    times = {label: [] for label, _ in commands}
    for r in range(rounds + 1):  # the first round warms up
        order = commands[r % len(commands):] + commands[:r % len(commands)]
        for label, command in order:
            subprocess.run(prepare, shell=True, check=True)
            wall, cpu = run(command)
            if r > 0:
                times[label].append((wall, cpu))
    raw = os.environ.get("RAW")
    if raw:  # every round's CPU, for figures derived from several commands
        with open(raw, "w") as f:
            f.write("\t".join(label for label, _ in commands) + "\n")
            for r in range(rounds):
                f.write("\t".join(f"{times[label][r][1]:.1f}" for label, _ in commands) + "\n")
    print(f"| command | min cpu | median cpu | median wall | cpu ÷ {floor}, min / median | cpu ÷ {ref}, min / median |")
    print("|---|---:|---:|---:|---:|---:|")
    for label, _ in commands:
        cpu = [c for _, c in times[label]]
        wall = [w for w, _ in times[label]]
        to_floor = [c / f[1] for (_, c), f in zip(times[label], times[floor])]
        to_ref = [c / f[1] for (_, c), f in zip(times[label], times[ref])]
        print(f"| {label} | {min(cpu):.0f} ms | {statistics.median(cpu):.0f} ms | {statistics.median(wall):.0f} ms"
              f" | {min(to_floor):.2f} / {statistics.median(to_floor):.2f} | {min(to_ref):.2f} / {statistics.median(to_ref):.2f} |")


main()

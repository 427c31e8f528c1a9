#!/usr/bin/env python3
"""Times whole processes in alternation, so that each sees the same moments of a shared machine.

  bench/processes.py [--runs 15] [--cold] NAME=COMMAND [NAME=COMMAND ...]

Prints the median wall time, CPU time (user + system) and peak memory of each command, and
each one's ratio to the first. --cold gives every run an empty Mesa shader cache.
"""
import argparse, os, shlex, statistics, subprocess, tempfile, time

parser = argparse.ArgumentParser()
parser.add_argument('--runs', type=int, default=15)
parser.add_argument('--cold', action='store_true')
parser.add_argument('commands', nargs='+')
args = parser.parse_args()
named = [c.split('=', 1) for c in args.commands]
results = {name: [] for name, _ in named}

for _ in range(args.runs):
    for name, command in named:
        env = dict(os.environ)
        cache = tempfile.mkdtemp() if args.cold else None
        if cache:
            env['MESA_SHADER_CACHE_DIR'] = cache
        start = time.perf_counter()
        proc = subprocess.Popen(shlex.split(command), env=env, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        if cache:
            subprocess.run(['rm', '-rf', cache])
        if status != 0:
            raise SystemExit(f'{name}: status {status}')
        results[name].append((wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024))

first = named[0][0]
base = statistics.median(w for w, _, _ in results[first])
for name, _ in named:
    wall = statistics.median(w for w, _, _ in results[name])
    cpu = statistics.median(c for _, c, _ in results[name])
    peak = max(m for _, _, m in results[name])
    print(f'{name:12s} wall {wall * 1000:7.1f} ms  cpu {cpu * 1000:7.1f} ms  peak {peak:6.1f} MB  '
          f'{wall / base:5.2f} x {first}  ({args.runs} runs{", cold cache" if args.cold else ""})')

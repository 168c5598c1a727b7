#!/usr/bin/env python3
"""Times commands in interleaved rounds, so that whatever else the machine does
meanwhile weighs on all of them alike: each round runs PREPARE and then each
command once, with NAME and ROUND in the environment of both. The first round
warms up and is not kept; every later run appends "NAME WALL CPU" to OUT
(seconds; CPU is user + system of the command's processes).

usage: bench/interleaved.py RUNS PREPARE OUT NAME COMMAND [NAME COMMAND]...
"""
import os, resource, subprocess, sys, time

if len(sys.argv) < 6 or len(sys.argv) % 2:
    sys.exit(__doc__.strip())
runs, prepare, out = int(sys.argv[1]), sys.argv[2], sys.argv[3]
commands = list(zip(sys.argv[4::2], sys.argv[5::2]))
with open(out, "w") as log:
    for round in range(runs + 1):
        for name, command in commands:
            env = dict(os.environ, NAME=name, ROUND=str(round))
            subprocess.run(prepare, shell=True, check=True, env=env)
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            start = time.perf_counter()
            subprocess.run(command, shell=True, check=True, env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wall = time.perf_counter() - start
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
            if round > 0:
                log.write("%s %.3f %.3f\n" % (name, wall, cpu))
                log.flush()

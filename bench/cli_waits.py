"""Times the command line as a terminal user meets it: `holdra --version` beside a
minimal QtCore program, and `holdra list` and `holdra add --text` on stashes of
10,000 and 100,000 items, every run a fresh process, ours alternating with the
reference, medians. Replaces its own block of RESULTS.md.

Usage: cli_waits.py BUILD_DIR BENCH_BIN_DIR SCRATCH_DIR OUTPUT_MD [REPETITIONS]
"""
import os
import re
import statistics
import subprocess
import sys
import time

build, bin_dir, scratch, output = sys.argv[1:5]
repetitions = int(sys.argv[5]) if len(sys.argv) > 5 else 7
holdra = os.path.join(build, "holdra")
minimal = os.path.join(bin_dir, "MinimalCore")
begin, end = "<!-- begin:cmdexe -->", "<!-- end:cmdexe -->"


def environment(name):
    """A private data and runtime directory, so that no running shelf answers."""
    root = os.path.join(scratch, name)
    runtime = os.path.join(root, "run")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    return dict(os.environ, XDG_DATA_HOME=os.path.join(root, "data"), XDG_RUNTIME_DIR=runtime,
                XDG_CONFIG_HOME=os.path.join(root, "config"), QT_QPA_PLATFORM="offscreen")


def wall(command, env):
    """Wall-clock and CPU (user + system) milliseconds of one run."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, env=env)
    _, status, usage = os.wait4(child.pid, 0)
    assert status == 0, command
    return (time.perf_counter() - start) * 1000, (usage.ru_utime + usage.ru_stime) * 1000


def medians(runs):
    return tuple(statistics.median(run[i] for run in runs) for i in range(2))


def alternate(ours, reference, env):
    mine, theirs = [], []
    for _ in range(repetitions):
        if reference:
            theirs.append(wall(reference, env))
        mine.append(wall(ours, env))
    return medians(mine), medians(theirs) if theirs else None


rows = []
load = os.getloadavg()


def row(what, ours, ref_name, ref, target):
    """Wall-clock figures, CPU time in brackets; the ratio of both when there is a reference."""
    if ref:
        reference = f"{ref[0]:.1f} ms ({ref[1]:.1f})"
        ratio = f"{ours[0] / ref[0]:.2f} ({ours[1] / ref[1]:.2f})"
    else:
        reference = ratio = ""
    rows.append(f"| {what} | {ours[0]:.1f} ms ({ours[1]:.1f}) | {ref_name} | {reference} | {ratio} | {target} |")


def loaded_libraries(command, env):
    """How many shared objects the dynamic loader maps for the command."""
    traced = subprocess.run(command, env=dict(env, LD_TRACE_LOADED_OBJECTS="1"),
                            capture_output=True, text=True).stdout
    return sum(1 for line in traced.splitlines() if "=>" in line or line.strip().startswith("/"))


env = environment("version")
wall([holdra, "--version"], env)
ours, reference = alternate([holdra, "--version"], [minimal], env)
row("`holdra --version`", ours, "minimal QtCore program", reference, "≤ 2.0")
libraries = (loaded_libraries([holdra, "--version"], env), loaded_libraries([minimal], env))

for count in (10000, 100000):
    env = environment(f"stash-{count}")
    support = os.path.join(env["XDG_DATA_HOME"], "Holdra")
    subprocess.run([os.path.join(bin_dir, "MakeStash"), support, str(count)], check=True)
    subprocess.run([holdra, "list"], check=True, stdout=subprocess.DEVNULL, env=env)  # warm, and repaired once
    ours, _ = alternate([holdra, "list"], None, env)
    row(f"`holdra list`, {count:,} items", ours, "", None, "< 250 ms")
    ours, _ = alternate([holdra, "add", "--text", "a line typed in a terminal"], None, env)
    row(f"`holdra add --text`, {count:,} items", ours, "", None, "< 250 ms")

table = ("| command | ours (median) | reference | reference (median) | ratio | target |\n"
         "|---|---|---|---|---|---|\n" + "\n".join(rows) + "\n")
block = (f"{begin}\n## The command line\n\n"
         f"Measured on a shared 2-core machine (load average {load[0]:.1f} at the start, "
         f"{os.getloadavg()[0]:.1f} at the end): the wall-clock figures carry other programs' waits, "
         "the CPU figures much less. "
         f"Every run is a fresh process timed from outside (fork to exit), {repetitions} repetitions, "
         "medians of wall-clock time, with the CPU time (user + system) in brackets, which a busy "
         "machine disturbs less; `--version` alternates with the reference. The stashes are half texts, an eighth "
         "links, an eighth stored .txt files and a quarter other stored files, all hashed; `add "
         "--text` writes metadata.json durably each time, and its first run fills the memo of "
         "what the .txt copies hold (the median is of runs that recall it). Loading recognises an "
         "unchanged metadata.json by its identity and reads its snapshot instead (a save reads "
         "the file once to copy the unchanged items' text). `holdra` maps "
         f"{libraries[0]} shared objects, the minimal QtCore program {libraries[1]}.\n\n"
         f"{table}{end}\n")
print(block)
text = open(output).read() if os.path.exists(output) else ""
pattern = re.compile(re.escape(begin) + ".*?" + re.escape(end) + "\n?", re.S)
text = pattern.sub(lambda _: block, text) if pattern.search(text) else text.rstrip("\n") + "\n\n" + block
with open(output, "w") as out:
    out.write(text)

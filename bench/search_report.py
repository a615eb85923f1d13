"""Builds and runs the search benchmark and writes its table into RESULTS.md.

The benchmark needs the application's code, which build-bench/ leaves out, so
it gets a build tree of its own in which only its target is built.

Usage: search_report.py BUILD_DIR OUTPUT_MD
"""
import json
import os
import subprocess
import sys
import tempfile

build, output = sys.argv[1:3]
BEGIN, END = "<!-- begin:search -->", "<!-- end:search -->"
FRAME_MS = 1000 / 60

# A tree that exists already (e.g. the developer's own, configured with
# HOLDRA_BUILD_BENCH=ON) is used as it is.
if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
    subprocess.run(["cmake", "-S", ".", "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DHOLDRA_BUILD_APP=ON", "-DHOLDRA_BUILD_BENCH=ON", "-DHOLDRA_BUILD_TESTS=OFF"],
                   check=True, stdout=subprocess.DEVNULL)
subprocess.run(["cmake", "--build", build, "--target", "SearchBench"], check=True, stdout=subprocess.DEVNULL)

with tempfile.TemporaryDirectory() as scratch:
    out = os.path.join(scratch, "search.json")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    subprocess.run([os.path.join(build, "bench", "SearchBench"), f"--benchmark_out={out}",
                    "--benchmark_out_format=json"], check=True, stdout=subprocess.DEVNULL, env=env)
    with open(out) as f:
        runs = json.load(f)["benchmarks"]

fastest = {}
for run in runs:
    if run.get("aggregate_name") != "min":
        continue
    name, size = run["run_name"].split("/")[:2]
    unit = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run["time_unit"]]
    fastest[(name, int(size))] = (run["real_time"] * unit, run["cpu_time"] * unit)


def ms(name, size):
    value = fastest.get((name, size))
    return "—" if value is None else f"{value[0]:.2f} ms ({value[1]:.2f} ms)"


def within_frame(name):
    value = fastest.get((name, 100000))
    if value is None:
        return ""
    return "yes" if value[0] < FRAME_MS else f"no: {value[0] / FRAME_MS:.1f} frames ({value[1] / FRAME_MS:.1f} on the CPU)"


rows = [
    ("one keystroke, Latin (“repo” → “repor”)", "BM_KeystrokeLatin", True),
    ("one keystroke, Chinese (“纪” → “纪要”)", "BM_KeystrokeChinese", True),
    ("one keystroke, full-width (“ｆｕｌ” → “ｆｕｌｌ”)", "BM_KeystrokeFullWidth", True),
    ("last character deleted, every row back", "BM_KeystrokeCleared", True),
    ("reference: the Latin keystroke with no kept keys", "BM_KeystrokeWithoutKeptKeys", False),
    ("every key worked out (once, in idle slices of 4,000 rows after the field opens)", "BM_PrepareKeys", False),
]
lines = [
    BEGIN,
    "## Search",
    "",
    "`bench/search_report.py` (run by `bench/run.sh`): the filter model over the panel's list model, "
    "fastest of 5 repetitions; a keystroke is the query set, every row's kept key searched and the "
    "first 12 shown rows read, which is what the list waits for before it redraws. Wall time, and in "
    "brackets the CPU time of the process, which is what it would take on an idle machine when this "
    f"one is shared. One frame is {FRAME_MS:.1f} ms.",
    "",
    "| what | 10,000 items | 100,000 items | within one frame at 100,000 |",
    "|---|---|---|---|",
]
for what, name, frame in rows:
    lines.append(f"| {what} | {ms(name, 10000)} | {ms(name, 100000)} | {within_frame(name) if frame else ''} |")
lines.append(END)
block = "\n".join(lines)

text = open(output).read() if os.path.exists(output) else ""
if BEGIN in text and END in text:
    text = text[:text.index(BEGIN)] + block + text[text.index(END) + len(END):]
else:
    text = text.rstrip("\n") + "\n\n" + block + "\n"
with open(output, "w") as f:
    f.write(text)
print(block)

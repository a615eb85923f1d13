"""Times the reference tools and writes the benchmark table.

Usage: report.py RESULTS_DIR SCRATCH_DIR OUTPUT_MD
"""
import glob
import json
import os
import platform
import shutil
import subprocess
import sys
import time

results_dir, scratch, output = sys.argv[1:4]
large = os.environ["HOLDRA_BENCH_LARGE_FILE"]
tree = os.environ["HOLDRA_BENCH_SMALL_TREE"]


def base_name(run_name):
    """The name without the iteration and repetition counts Google Benchmark appends."""
    return "/".join(part for part in run_name.split("/")
                    if not part.startswith(("iterations:", "repeats:")))


def ours():
    """The minimum over repetitions of every benchmark, in milliseconds."""
    figures = {}
    for path in glob.glob(os.path.join(results_dir, "*.json")):
        with open(path) as f:
            for b in json.load(f)["benchmarks"]:
                unit = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
                if b.get("aggregate_name") == "min":
                    figures[base_name(b["run_name"])] = b["real_time"] * unit
                elif b.get("run_type") == "iteration" and b.get("repetitions", 1) <= 1:
                    figures.setdefault(base_name(b["run_name"]), b["real_time"] * unit)
    return figures


def reference(command, repeat=3, cleanup=None):
    """The fastest of a few runs of a command, in milliseconds."""
    best = None
    for _ in range(repeat):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        elapsed = (time.perf_counter() - start) * 1000
        best = elapsed if best is None else min(best, elapsed)
        if cleanup:
            cleanup()
    return best


def remove(path):
    return lambda: shutil.rmtree(path, ignore_errors=True) if os.path.isdir(path) else (
        os.path.exists(path) and os.remove(path))


refs = {
    "openssl": reference(["openssl", "dgst", "-sha256", large]),
}
f = ours()


used = set()


def get(name):
    used.add(name)
    return f.get(name)


rows = []


def row(what, value, ref_name=None, ref_value=None, target=""):
    ratio = ""
    if value is not None and ref_value:
        ratio = f"{value / ref_value:.2f}"
    def ms(v):
        return "—" if v is None else (f"{v:.1f} ms" if v >= 1 else f"{v * 1000:.1f} µs")
    rows.append((what, ms(value), ref_name or "", "" if ref_value is None else ms(ref_value), ratio, target))


hash_ms = get("BM_HashLargeFile")
row("SHA-256 of 1 GiB", hash_ms, "openssl dgst -sha256", refs["openssl"], "openssl ÷ ours ≥ 0.9 (ratio ≤ 1.11)")
enc, dec = get("BM_EncodeItems/10000"), get("BM_DecodeItems/10000")
row("metadata encode + decode, 10,000 items", None if enc is None or dec is None else enc + dec,
    target="< 50 ms")
row("load, 10,000 items", get("BM_LoadWithHashes/10000"), "load, 1,000 items",
    get("BM_LoadWithHashes/1000"), "< 100 ms; ratio ≈ 10")
row("load, 1,000 items filling in hashes", get("BM_LoadFillingInHashes/1000"))
row("addFiles of 100 × 1 MiB into 10,000", get("BM_AddHundredMegabyteFiles/10000"))
row("single add into 10,000", get("BM_AddOneFile/10000"), "into 1,000", get("BM_AddOneFile/1000"),
    "< 30 ms + copy and hash")
row("remove 1,000 of 10,000", get("BM_RemoveTenth/10000"), "100 of 1,000", get("BM_RemoveTenth/1000"),
    "ratio ≈ 10 (100 would be quadratic)")
row("restore 1,000 of 10,000", get("BM_RestoreTenth/10000"), "100 of 1,000", get("BM_RestoreTenth/1000"),
    "ratio ≈ 10 (100 would be quadratic)")
for name in sorted(set(f) - used):
    row(f"`{name}`", f[name])

header = ("| what | ours | reference | reference time | ratio | target |\n"
          "|---|---|---|---|---|---|\n")
table = header + "".join(f"| {' | '.join(r)} |\n" for r in rows)
print(table)
cpu = ""
try:
    with open("/proc/cpuinfo") as info:
        cpu = next(line.split(":", 1)[1].strip() for line in info if line.startswith("model name"))
except (OSError, StopIteration):
    pass
# Only this script's block is replaced: the other measures write blocks of their own.
BEGIN, END = "<!-- begin:kit -->", "<!-- end:kit -->"
block = (f"{BEGIN}\nMeasured by `bench/run.sh` on {time.strftime('%Y-%m-%d')}, {platform.machine()}, "
         f"{os.cpu_count()} cores ({cpu}); each figure is the fastest of its repetitions, "
         "inputs warm in the page cache for ours and the references alike.\n\n" + table + END)
text = open(output).read() if os.path.exists(output) else "# Benchmark results\n\n"
if BEGIN in text and END in text:
    text = text[:text.index(BEGIN)] + block + text[text.index(END) + len(END):]
else:
    text = text.rstrip("\n") + "\n\n" + block + "\n"
with open(output, "w") as out:
    out.write(text)

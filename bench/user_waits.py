"""Times what a user waits for when adding big things, each reference tool run
alternately with ours on the same warm input, and appends the table to RESULTS.md.

Usage: user_waits.py BENCH_BIN_DIR SCRATCH_DIR OUTPUT_MD [REPETITIONS]
Inputs: HOLDRA_BENCH_LARGE_FILE (1 GiB), HOLDRA_BENCH_SMALL_TREE (10,000 files).
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

bin_dir, scratch, output = sys.argv[1:4]
repetitions = int(sys.argv[4]) if len(sys.argv) > 4 else 5
large = os.environ["HOLDRA_BENCH_LARGE_FILE"]
tree = os.environ["HOLDRA_BENCH_SMALL_TREE"]
env = dict(os.environ, QT_QPA_PLATFORM="offscreen")


def settle():
    """Writes back what the last run left dirty, so it is not billed to the next."""
    os.sync()


def remove(path):
    shutil.rmtree(path, ignore_errors=True) if os.path.isdir(path) else (
        os.path.exists(path) and os.remove(path))
    settle()


def wall(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return (time.perf_counter() - start) * 1000


def program(name, *arguments):
    """Runs one of our programs; its first printed figure is its own time in ms."""
    out = subprocess.run([os.path.join(bin_dir, name), *arguments], check=True,
                         capture_output=True, text=True, env=env).stdout.split()
    return [float(out[0]), *out[1:]]


support = os.path.join(scratch, "support")
copy_target = os.path.join(scratch, "copy")


def fresh():
    remove(support)


def alternate(ours, references, before=None):
    """Medians of ours and of each reference over interleaved repetitions."""
    mine, theirs = [], {name: [] for name in references}
    for _ in range(repetitions):
        for name, (command, cleanup) in references.items():
            theirs[name].append(wall(command() if callable(command) else command))
            if cleanup:
                cleanup()
        if before:
            before()
        mine.append(ours())
    return statistics.median(mine), {n: statistics.median(v) for n, v in theirs.items()}


def copy_cleanup():
    remove(copy_target)


rows = []


def row(what, ours_ms, ref_name, ref_ms, target):
    ratio = f"{ours_ms / ref_ms:.2f}" if ref_ms else ""
    rows.append(f"| {what} | {ours_ms:.1f} ms | {ref_name} | {ref_ms:.1f} ms | {ratio} | {target} |")


openssl = (["openssl", "dgst", "-sha256", large], None)
cp = (["cp", large, copy_target], copy_cleanup)

# Folder copies are never deleted between runs. ext4 without a journal (this
# machine's disk) passes over every inode freed in the last few seconds when it
# allocates one, so a copy of 10,000 files made just after 10,000 deletions pays
# for each of them, and whichever side ran right after the deletions paid most:
# ours used to follow both its own and cp's. Each run gets a folder of its own,
# and the copies go when the script ends.
tree_runs = []


def new_tree_target(prefix):
    path = os.path.join(scratch, f"{prefix}-{len(tree_runs)}")
    tree_runs.append(path)
    return path


# `cp -r` into a fresh folder each time it is run.
cp_tree = (lambda: ["cp", "-r", tree, new_tree_target("cp-tree")], None)


def settle_freed_inodes():
    """Lets the file system forget inodes freed by earlier benchmarks."""
    settle()
    time.sleep(6)


def add_into(support_dir, path, expect="added"):
    figure, outcome = program("AddOnce", support_dir, path)
    assert outcome == expect, outcome
    settle()
    return figure


def add(path, expect):
    return add_into(support, path, expect)


ours, refs = alternate(lambda: add(large, "added"), {"openssl": openssl, "cp": cp}, before=fresh)
row("add of a 1 GiB file (copy, hash, save)", ours, "openssl dgst -sha256", refs["openssl"], "≤ 1.1")
row("add of a 1 GiB file (copy, hash, save)", ours, "cp", refs["cp"], "")

fresh()
add(large, "added")
ours, refs = alternate(lambda: add(large, "duplicate"), {"openssl": openssl})
row("add of a 1 GiB duplicate", ours, "openssl dgst -sha256", refs["openssl"], "≤ 1.1")

fresh()
settle_freed_inodes()
ours, refs = alternate(lambda: add_into(new_tree_target("support-tree"), tree), {"cp -r": cp_tree})
row("add of a 10,000-file folder", ours, "cp -r", refs["cp -r"], "≤ 1.5")

# A folder has no content hash (only a file's bytes do), so the same folder
# added again is stored again.
again = new_tree_target("support-again")
add_into(again, tree)
ours, refs = alternate(lambda: add_into(again, tree), {"cp -r": cp_tree})
row("add of the same 10,000-file folder again", ours, "cp -r", refs["cp -r"], "≤ 2.5")
for path in tree_runs:
    shutil.rmtree(path, ignore_errors=True)

stalls, totals = [], []
for _ in range(repetitions):
    fresh()
    stall, total, outcome = program("ImportStall", support, large)
    settle()
    stalls.append(stall)
    totals.append(float(total))
fresh()

header = ("| what a user waits for | ours (median) | reference | reference (median) | ratio | target |\n"
          "|---|---|---|---|---|---|\n")
table = header + "\n".join(rows) + "\n"
stall_line = (f"Longest main-thread stall while ImportJob copies and hashes 1 GiB (a 4 ms timer "
              f"ticking on the main thread): median {statistics.median(stalls):.1f} ms, worst "
              f"{max(stalls):.1f} ms of {repetitions} (target < 50 ms); the import itself took a "
              f"median {statistics.median(totals):.0f} ms.\n")
print(table)
print(stall_line)
section = (
    "## Adding big things\n\n"
    f"Each reference tool alternates with ours over {repetitions} repetitions on the same warm input; "
    "medians. Ours is the add itself as `holdra add` does it (copy and SHA-256 in one pass, the copy "
    "synced to disk, insert, metadata.json written and synced; a duplicate is only hashed), timed inside "
    "the process; dirty pages are written back between runs. The references sync nothing. Folder copies "
    "(ours and cp's) each go to a folder of their own and are deleted only after the last run: this "
    "disk's ext4 has no journal, and its allocator passes over every inode freed in the last seconds, "
    "so deleting 10,000 files just before a run made that run up to three times slower.\n\n"
    + table + "\n" + stall_line)
begin, end = "<!-- begin:import -->", "<!-- end:import -->"
text = open(output).read() if os.path.exists(output) else ""
block = f"{begin}\n{section}{end}\n"
if begin in text and end in text:
    text = text[:text.index(begin)] + block + text[text.index(end) + len(end) + 1:]
else:
    text += "\n" + block
with open(output, "w") as out:
    out.write(text)

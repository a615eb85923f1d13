#!/usr/bin/env bash
# Builds the benchmark programs in build-bench/, runs them beside the reference
# tools on the same inputs and prints the table that bench/RESULTS.md keeps.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
holdra_ensure_deps

# The kit, the application's code the panel's measures need, and the
# benchmarks: not the application itself, its packaging or the suites.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DHOLDRA_BUILD_APP=ON -DHOLDRA_BUILD_BENCH=ON -DHOLDRA_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --parallel "$(nproc)" --target holdra_bench >/dev/null

scratch="$(mktemp -d "${TMPDIR:-/tmp}/holdra-bench.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

# The inputs: 1 GiB of random bytes and a folder of 10,000 small files.
export HOLDRA_BENCH_LARGE_FILE="$scratch/large.bin"
export HOLDRA_BENCH_SMALL_TREE="$scratch/small-tree"
head -c 1073741824 /dev/urandom >"$HOLDRA_BENCH_LARGE_FILE"
python3 - "$HOLDRA_BENCH_SMALL_TREE" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(100):
    os.makedirs(os.path.join(root, f"dir{d:02}"))
    for f in range(100):
        with open(os.path.join(root, f"dir{d:02}", f"file{f:02}.txt"), "w") as out:
            out.write(f"small file {d}/{f}\n" * 20)
PY

results="$scratch/results"
mkdir -p "$results"
for program in build-bench/bench/*Bench; do
  QT_QPA_PLATFORM=offscreen "$program" --benchmark_format=json \
      --benchmark_out="$results/$(basename "$program").json" --benchmark_out_format=json >/dev/null
done

python3 bench/report.py "$results" "$scratch" bench/RESULTS.md
python3 bench/user_waits.py build-bench/bench "$scratch" bench/RESULTS.md

# The open panel: opens at 0, 10,000 and 100,000 items and scrolling at 100,000.
QT_QPA_PLATFORM=offscreen build-bench/bench/panel/PanelViewBench --benchmark_format=json \
    --benchmark_out="$scratch/panel.json" --benchmark_out_format=json >/dev/null
python3 bench/panel_report.py "$scratch/panel.json" bench/RESULTS.md

# The command line, the start-up, memory and idle of the real programs beside
# a minimal QtCore program and a bare Qt Quick window.
cmake --build build-bench --parallel "$(nproc)" --target holdra holdra-gui >/dev/null
python3 bench/cli_waits.py build-bench build-bench/bench "$scratch" bench/RESULTS.md
python3 bench/gui_rows.py build-bench/holdra build-bench/bench/BareQuickWindow bench/RESULTS.md

# The panel's search at 100,000 items.
python3 bench/search_report.py build-bench bench/RESULTS.md


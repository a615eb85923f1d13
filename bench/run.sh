#!/usr/bin/env bash
# Builds the benchmark programs in build-bench/, runs them beside the reference
# tools on the same inputs and prints the table that bench/RESULTS.md keeps.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
holdra_ensure_deps

# Only the kit and the benchmarks: the app is not needed to measure them.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DHOLDRA_BUILD_APP=OFF -DHOLDRA_BUILD_BENCH=ON -DHOLDRA_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --parallel "$(nproc)" >/dev/null

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
python3 bench/cli_waits.py build-bench build-bench/bench "$scratch" bench/RESULTS.md

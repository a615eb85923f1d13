#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan in
# build-fuzz/ and runs each one for a bounded time over its seed corpus.
# Usage: fuzz/run.sh [SECONDS_PER_TARGET]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ -DHOLDRA_BUILD_APP=OFF -DHOLDRA_BUILD_TESTS=OFF \
      -DHOLDRA_BUILD_FUZZ=ON -DHOLDRA_SANITIZE=address,undefined,fuzzer-no-link >/dev/null
mkdir -p build-fuzz
if ! cmake --build build-fuzz --parallel "$(nproc)" >build-fuzz/build.log 2>&1; then
  tail -n 60 build-fuzz/build.log >&2
  echo "fuzz: the fuzz targets did not build; the whole log is build-fuzz/build.log" >&2
  exit 1
fi

# New inputs go to a scratch corpus; the seeds in the tree stay as committed.
scratch="$(mktemp -d "${TMPDIR:-/tmp}/holdra-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-fuzz/artifacts
status=0
for seeds in fuzz/corpus/*/; do
  target="$(basename "$seeds")"
  mkdir -p "$scratch/$target"
  echo "fuzz: $target for ${seconds}s"
  if ! UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
       "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=0 \
       -artifact_prefix="build-fuzz/artifacts/$target-" "$scratch/$target" "$seeds" \
       >"$scratch/$target.log" 2>&1; then
    tail -n 40 "$scratch/$target.log" >&2
    echo "fuzz: $target found a fault; the input is in build-fuzz/artifacts/" >&2
    status=1
  else
    grep -E '^#[0-9]+.*DONE' "$scratch/$target.log" | tail -n 1 || true
  fi
done
exit "$status"

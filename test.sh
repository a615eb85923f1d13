#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
holdra_ensure_deps
holdra_build -DHOLDRA_WERROR=ON
# The views against the C++ types they are handed: any qmllint warning fails the run.
cmake --build build --target all_qmllint
(cd build && ctest --output-on-failure --parallel "$(nproc)" --timeout 600)

# The kit and its suites once more under AddressSanitizer and UBSan.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHOLDRA_WERROR=ON \
      -DHOLDRA_BUILD_APP=OFF -DHOLDRA_SANITIZE=address,undefined >/dev/null
cmake --build build-asan --parallel "$(nproc)"
(cd build-asan && ctest --output-on-failure --parallel "$(nproc)" --timeout 600 -L kit)

# Bounded fuzzing of the decoders, where clang (libFuzzer) is at hand.
if command -v clang++ >/dev/null 2>&1; then
  fuzz/run.sh 30
fi

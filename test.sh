#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
holdra_ensure_deps
holdra_build -DHOLDRA_WERROR=ON
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 600

#!/usr/bin/env bash
# Installs what is missing, builds a release build in build/ and starts Holdra.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
holdra_ensure_deps
holdra_build
exec ./build/holdra "$@"

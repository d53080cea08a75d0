#!/usr/bin/env bash
# A maintainer's quick check: the native build and its tests, without the exhaustive kernel
# test. It installs nothing and runs no Windows build, Wine or sanitizer; scripts/test.sh,
# which CI runs, does all of that.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux --parallel "$(nproc)"
ctest --preset linux --parallel "$(nproc)" --label-exclude long

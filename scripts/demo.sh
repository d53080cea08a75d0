#!/usr/bin/env bash
# The demonstration: installs what is missing, builds, and renders a synthetic normal map
# through the plug-in at 8, 16 and 32 bits and with each control, leaving the pictures in out/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --parallel "$(nproc)" --target zephyrine-render
build/linux/bin/zephyrine-render --demo out
